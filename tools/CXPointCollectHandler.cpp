#include "tools/CXPointCollectHandler.h"

#include "tools/ToolFrame.h"

#include <osgGA/GUIEventAdapter>

CXPointCollectHandler::CXPointCollectHandler(GLenum outlineMode, bool outlineUnlit, unsigned minPointsToMove)
    : _outlineMode(outlineMode), _outlineUnlit(outlineUnlit), _minPointsToMove(minPointsToMove) {}

CXPointCollectHandler::~CXPointCollectHandler() = default;

bool CXPointCollectHandler::handle(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& aa) {
    osg::Vec3d picked;
    if (ToolFrame::isRelease(ea, osgGA::GUIEventAdapter::LEFT_MOUSE_BUTTON)) {
        if (!ToolFrame::pick(ea, aa, picked))
            return false;
        if (_state == Idle && !holdsEarlierRun()) {
            _points = new osg::Vec3dArray;
            _points->push_back(picked);
            _points->push_back(picked); // the moving end
            _state = Collecting;
        } else if (_state == Collecting) {
            _points->push_back(picked);
        }
    } else if (ea.getEventType() == osgGA::GUIEventAdapter::MOVE && _state == Collecting) {
        if (_points->size() < _minPointsToMove || !ToolFrame::pick(ea, aa, picked))
            return false;
        _points->back() = picked;
        _points->dirty();
        showOutline();
    } else if (ToolFrame::isRelease(ea, osgGA::GUIEventAdapter::RIGHT_MOUSE_BUTTON) && _state == Collecting) {
        finish();
    }
    return false;
}

void CXPointCollectHandler::showOutline() {
    if (!ToolFrame::updateOutline(_outline.get(), *_points))
        ToolFrame::replaceOnRoot(_outline, ToolFrame::buildOutline(*_points, _outlineMode, _outlineUnlit));
}

void CXPointCollectHandler::InitInstance() {
    _state = Idle;
}

void CXPointCollectHandler::ExitInstance() {
    reset();
}

void CXPointCollectHandler::reset() {
    _points = nullptr;
    if (_state == Collecting)
        _state = Idle;
    ToolFrame::replaceOnRoot(_outline, nullptr);
}
