#include "tools/CXPointCollectHandler.h"

#include "tools/ToolFrame.h"

#include <osg/Geode>
#include <osg/Geometry>
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
    // The band drawn over this point list is redrawn in place; a new list gets a new band.
    osg::Geode* geode = _outline ? _outline->asGeode() : nullptr;
    osg::Geometry* geometry =
        geode && geode->getNumDrawables() ? geode->getDrawable(0)->asGeometry() : nullptr;
    auto* span = geometry ? dynamic_cast<osg::DrawArrays*>(geometry->getPrimitiveSet(0)) : nullptr;
    if (span && geometry->getVertexArray() == _points.get()) {
        span->setCount(static_cast<GLsizei>(_points->size()));
        span->dirty();
        geometry->dirtyBound();
        return;
    }
    ToolFrame::replaceOnRoot(_outline, ToolFrame::buildOutline(_points.get(), _outlineMode, _outlineUnlit));
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
