#include "tools/CXSetUpTunnelHandler.h"

#include "tools/ToolFrame.h"
#include "tools/ToolMessage.h"
#include "tools/TunnelBuilder.h"

#include "Selmor/CXViewer.h"

#include <cmath>

CXSetUpTunnelHandler::CXSetUpTunnelHandler() : CXPointCollectHandler(GL_LINE_STRIP, false, 2) {}

CXSetUpTunnelHandler::~CXSetUpTunnelHandler() = default;

void CXSetUpTunnelHandler::finish() {
    _state = Done;
    ToolFrame::report("SetUpTunnel", ToolFrame::formatPoints(*_points));
}

void CXSetUpTunnelHandler::ExitInstance() {
    reset();
    _centreLine = nullptr;
}

void CXSetUpTunnelHandler::OnMessage(std::string message) {
    std::vector<std::string> fields;
    if (ToolMessage::matchVerb(message, "SetUpTunnel:", fields)) {
        build(fields);
    } else if (message.compare(0, sizeof("删除隧道") - 1, "删除隧道") == 0) {
        ExitInstance();
        if (_result)
            _result->removeChildren(0, _result->getNumChildren());
    }
}

void CXSetUpTunnelHandler::build(const std::vector<std::string>& fields) {
    ToolMessage::Tunnel read;
    if (!ToolMessage::tunnel(fields, read))
        return;
    const float width = read.width, height = read.height;
    // The centre lies half the height below the top.
    const float z = -read.top - height / 2.0f;
    osg::ref_ptr<osg::Vec3dArray> line = new osg::Vec3dArray;
    for (const osg::Vec2d& point : read.line)
        line->push_back(osg::Vec3d(point.x(), point.y(), z));
    ExitInstance();
    _centreLine = line;
    // A section of no width or height is no tunnel.
    if (line->size() < 2 || !(width > 0.0f) || !(height > 0.0f) || !std::isfinite(z))
        return;
    osg::ref_ptr<osg::Group> tube = TunnelBuilder::build(*line, width, height);
    if (!tube->getNumChildren())
        return;
    osg::Group* root = g_pCXviewer ? g_pCXviewer->getRoot() : nullptr;
    if (!_result) {
        _result = new osg::Group;
        if (root)
            root->addChild(_result.get());
    }
    _result->addChild(tube.get());
}
