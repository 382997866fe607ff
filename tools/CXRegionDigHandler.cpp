#include "tools/CXRegionDigHandler.h"

#include "tools/ToolFrame.h"

CXRegionDigHandler::CXRegionDigHandler() : CXPointCollectHandler(GL_LINE_LOOP, true, 0) {}

CXRegionDigHandler::~CXRegionDigHandler() = default;

void CXRegionDigHandler::InitInstance() {
    _state = Idle;
    _points = new osg::Vec3dArray;
}

void CXRegionDigHandler::finish() {
    _state = Done;
    ToolFrame::report("区域开挖", ToolFrame::formatPoints(*_points));
}
