#include "tools/CXTransectAnalysisHandler.h"

#include "tools/ToolFrame.h"

#include <osgGA/GUIEventAdapter>

#include <locale>
#include <sstream>

CXTransectAnalysisHandler::CXTransectAnalysisHandler() = default;

CXTransectAnalysisHandler::~CXTransectAnalysisHandler() = default;

bool CXTransectAnalysisHandler::handle(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& aa) {
    osg::Vec3d picked;
    if (ToolFrame::isRelease(ea, osgGA::GUIEventAdapter::LEFT_MOUSE_BUTTON)) {
        if (_state == Idle && ToolFrame::pick(ea, aa, picked)) {
            // Both ends start at the click: a right click before any move sends a line of
            // no length there, never an end left over from an earlier use.
            _first = _current = picked;
            _state = Collecting;
        }
    } else if (ea.getEventType() == osgGA::GUIEventAdapter::MOVE && _state == Collecting) {
        if (!ToolFrame::pick(ea, aa, picked))
            return false;
        _current = picked;
        osg::ref_ptr<osg::Vec3dArray> ends = new osg::Vec3dArray;
        ends->push_back(_first);
        ends->push_back(_current);
        if (!ToolFrame::updateOutline(_line.get(), *ends))
            ToolFrame::replaceOnRoot(_line, ToolFrame::buildOutline(*ends, GL_LINES, false));
    } else if (ToolFrame::isRelease(ea, osgGA::GUIEventAdapter::RIGHT_MOUSE_BUTTON)) {
        if (_state == Collecting) {
            std::ostringstream text;
            text.imbue(std::locale::classic());
            text.precision(10);
            text << _first.x() << ',' << _first.y() << ',' << _current.x() << ',' << _current.y();
            ToolFrame::report("Transect", text.str());
            _state = Done;
        } else if (_state == Done) {
            removeLine();
            _state = Closed;
        }
    }
    return false;
}

void CXTransectAnalysisHandler::InitInstance() {
    _state = Idle;
}

void CXTransectAnalysisHandler::ExitInstance() {
    removeLine();
}

void CXTransectAnalysisHandler::removeLine() {
    ToolFrame::replaceOnRoot(_line, nullptr);
}
