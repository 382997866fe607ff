#include "tools/CXSetUpTunnelHandler.h"

#include "tools/ToolFrame.h"

CXSetUpTunnelHandler::CXSetUpTunnelHandler() : CXPointCollectHandler(GL_LINE_STRIP, false, 2) {}

CXSetUpTunnelHandler::~CXSetUpTunnelHandler() = default;

void CXSetUpTunnelHandler::finish() {
    _state = Done;
    ToolFrame::report("SetUpTunnel", ToolFrame::formatPoints(*_points));
}
