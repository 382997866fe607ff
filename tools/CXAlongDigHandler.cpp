#include "tools/CXAlongDigHandler.h"

#include "tools/ExcavationBuilder.h"
#include "tools/ToolFrame.h"
#include "tools/ToolMessage.h"

#include "Torvik/CXPlayerManager.h"

CXAlongDigHandler::CXAlongDigHandler() : CXPointCollectHandler(GL_LINE_STRIP, true, 2) {}

CXAlongDigHandler::~CXAlongDigHandler() = default;

void CXAlongDigHandler::InitInstance() {
    _depth = 0.0;
    _state = Idle;
}

void CXAlongDigHandler::ExitInstance() {
    reset();
    _trench = nullptr;
}

void CXAlongDigHandler::finish() {
    _state = Done;
    ToolFrame::report("沿线开挖", ToolFrame::formatPoints(*_points));
}

void CXAlongDigHandler::OnMessage(std::string message) {
    std::vector<std::string> fields;
    if (ToolMessage::matchVerb(message, "DigByLine:", fields)) {
        // The depth, then x, y of the outline's points. A field that is no finite number,
        // or an x without its y, and nothing is dug.
        std::vector<double> values;
        if (!ToolMessage::numbers(fields, values) || values.empty() || values.size() % 2 == 0)
            return;
        _depth = values[0];
        reset();
        _trench = new osg::Vec3dArray;
        // The outline lies on the ground (at z = 0 where the host knows no terrain): a trench
        // put at z = 0 under a street 20 m up would open the street over nothing.
        for (size_t i = 1; i + 1 < values.size(); i += 2) {
            double x = values[i], y = values[i + 1];
            _trench->push_back(osg::Vec3d(x, y, g_playerManager ? g_playerManager->getHeight(x, y) : 0.0));
        }
        if (_trench->size() < 4)
            return;
        ExcavationBuilder::dig(_result, *_trench, _depth, ExcavationBuilder::Dig::AlongLine);
        ExcavationBuilder::attach(_result.get());
    } else if (message.compare(0, std::string("删除沿线开挖").size(), "删除沿线开挖") == 0) {
        reset();
        _trench = nullptr;
        ExcavationBuilder::detach(_result);
    }
}
