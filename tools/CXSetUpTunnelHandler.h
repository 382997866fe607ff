#pragma once

#include "tools/CXPointCollectHandler.h"

#include <string>

// The tunnel tool: the user draws the tunnel's centre line on the map, and the line goes
// to the host, which asks for the tunnel's width, height and depth and answers with
// "SetUpTunnel:"; the tool then builds a rectangular tube of that section along the line,
// below ground. "删除隧道" removes every tunnel built.
class CXSetUpTunnelHandler : public CXPointCollectHandler {
public:
    CXSetUpTunnelHandler();

    void OnMessage(std::string message) override;
    void ExitInstance() override;

    const osg::Vec3dArray* centreLine() const { return _centreLine.get(); }
    const osg::Group* tunnels() const { return _result.get(); }

protected:
    ~CXSetUpTunnelHandler() override;
    bool holdsEarlierRun() const override { return _centreLine.valid(); }
    void finish() override;

private:
    void build(const std::vector<std::string>& fields);

    osg::ref_ptr<osg::Vec3dArray> _centreLine;
};
