#include "plugin/PipeHandler.h"

#include "Torvik/CXControl.h"
#include "Torvik/CXPlayerManager.h"
#include "Torvik/Torvik.h"
#include "text/Number.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// A field's number as atof reads it, in the C locale's notation; 0 where there is none
// or where it is past a float's range (as leadingDecimal has it past a double's).
float number(const std::string& field) {
    double value = 0.0;
    leadingDecimal(field, value);
    return std::abs(value) <= std::numeric_limits<float>::max() ? static_cast<float>(value) : 0.0f;
}

// The fields after a message's keyword; the name comes first, directly after it.
std::vector<std::string> fields(const std::string& message, const char* prefix) {
    return Torvik::splitStr(message.substr(std::strlen(prefix)), ",");
}

const char* const Remove = "Remove:";

LineLayerTarget* findControl() {
    // The last control registered under our name is the one that answers.
    LineLayerTarget* found = nullptr;
    for (CXControl* control : g_playerManager->getControls())
        if (control && control->name == LineLayerTarget::ControlName)
            found = dynamic_cast<LineLayerTarget*>(control);
    return found;
}

} // namespace

PipeHandler::~PipeHandler() = default;

void PipeHandler::postCommand(std::string command) {
    std::lock_guard<std::mutex> lock(_mutex);
    _command = std::move(command);
    _pointList.reset();
}

void PipeHandler::postCommandWithPoints(std::string command, std::unique_ptr<PointList> points) {
    std::lock_guard<std::mutex> lock(_mutex);
    _pointList = std::move(points);
    _command = std::move(command);
}

void PipeHandler::postRemoval(std::string removal) {
    std::lock_guard<std::mutex> lock(_mutex);
    _removal = std::move(removal);
}

std::string PipeHandler::pendingCommand() const {
    std::lock_guard<std::mutex> lock(_mutex);
    return _command;
}

std::string PipeHandler::pendingRemoval() const {
    std::lock_guard<std::mutex> lock(_mutex);
    return _removal;
}

bool PipeHandler::hasPendingPoints() const {
    std::lock_guard<std::mutex> lock(_mutex);
    return _pointList != nullptr;
}

bool PipeHandler::handle(const osgGA::GUIEventAdapter&, osgGA::GUIActionAdapter&) {
    if (LineLayerTarget* control = findControl())
        runPending(*control);
    return false;
}

void PipeHandler::runPending(LineLayerTarget& control) {
    std::string removal, command;
    std::unique_ptr<PointList> points;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        removal.swap(_removal);
        command.swap(_command);
        points.swap(_pointList);
    }

    if (startsWith(removal, Remove)) {
        std::vector<std::string> f = fields(removal, Remove);
        if (!f.empty())
            control.removeLineLayer(f[0]);
    }
    if (!command.empty())
        runCommand(control, command, points.get());
    // After the messages: a removal that came with the end of a build cancels it.
    control.attachBuiltLayers();
}

void PipeHandler::runCommand(LineLayerTarget& control, const std::string& command, PointList* points) {

    // Messages short of the fields their form needs are dropped: nothing past the
    // last field is ever read. So are layers without a name, which no later message
    // could reach to hide or remove.
    static const char* const OpenLine = "OpenLine:";
    static const char* const VisualNo = "Visual:no";
    static const char* const VisualYes = "Visual:yes";
    static const char* const OpenKml = "OpenKml:";
    if (startsWith(command, OpenLine)) {
        std::vector<std::string> f = fields(command, OpenLine);
        if (f.size() < 6 || f[0].empty())
            return;
        osg::Vec4f color(number(f[2]), number(f[3]), number(f[4]), number(f[5]));
        control.openLine(f[0], number(f[1]), color);
    } else if (startsWith(command, VisualNo) || startsWith(command, VisualYes)) {
        bool visible = startsWith(command, VisualYes);
        std::vector<std::string> f = fields(command, visible ? VisualYes : VisualNo);
        if (!f.empty())
            control.setLineLayerVisible(f[0], visible);
    } else if (startsWith(command, Remove)) {
        std::vector<std::string> f = fields(command, Remove);
        if (!f.empty())
            control.removeLineLayer(f[0]);
    } else if (startsWith(command, OpenKml)) {
        std::vector<std::string> f = fields(command, OpenKml);
        if (f.size() < 7 || f[0].empty() || !points)
            return;
        osg::Vec4f color(number(f[3]), number(f[4]), number(f[5]), number(f[6]));
        control.openKml(f[0], points, number(f[2]), number(f[1]), color);
    }
}
