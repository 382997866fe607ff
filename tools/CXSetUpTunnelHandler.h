#pragma once

#include "tools/CXPointCollectHandler.h"

// The tunnel tool: the user draws the tunnel's centre line on the map, and the line goes
// to the host, which asks for the tunnel's width, height and depth.
class CXSetUpTunnelHandler : public CXPointCollectHandler {
public:
    CXSetUpTunnelHandler();

protected:
    ~CXSetUpTunnelHandler() override;
    void finish() override;
};
