#include "tools/CXAlongDigHandler.h"

#include "tools/ToolFrame.h"

CXAlongDigHandler::CXAlongDigHandler() : CXPointCollectHandler(GL_LINE_STRIP, true, 2) {}

CXAlongDigHandler::~CXAlongDigHandler() = default;

void CXAlongDigHandler::finish() {
    _state = Done;
    ToolFrame::report("沿线开挖", ToolFrame::formatPoints(*_points));
}
