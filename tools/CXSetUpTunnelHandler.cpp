#include "tools/CXSetUpTunnelHandler.h"

#include "tools/ToolFrame.h"
#include "tools/TunnelBuilder.h"

#include "Selmor/CXViewer.h"
#include "text/Number.h"

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
    if (ToolFrame::matchVerb(message, "SetUpTunnel:", fields)) {
        build(fields);
    } else if (message.compare(0, sizeof("删除隧道") - 1, "删除隧道") == 0) {
        ExitInstance();
        if (_result)
            _result->removeChildren(0, _result->getNumChildren());
    }
}

void CXSetUpTunnelHandler::build(const std::vector<std::string>& fields) {
    // width, height, depth of the top below z = 0, then x,y pairs of the centre line; a
    // message with a number out of range or not finite is refused whole, and a lone x
    // at the end (no y) is not read.
    double values[3] = {0.0, 0.0, 0.0};
    for (size_t i = 0; i < 3; ++i)
        if (i < fields.size() && !leadingDecimal(fields[i], values[i]))
            return;
    const float width = static_cast<float>(values[0]), height = static_cast<float>(values[1]),
                top = static_cast<float>(values[2]);
    // The centre lies half the height below the top.
    const float z = -top - height / 2.0f;
    osg::ref_ptr<osg::Vec3dArray> line = new osg::Vec3dArray;
    for (size_t i = 3; i + 1 < fields.size(); i += 2) {
        double x = 0.0, y = 0.0;
        if (!leadingDecimal(fields[i], x) || !leadingDecimal(fields[i + 1], y))
            return;
        line->push_back(osg::Vec3d(x, y, z));
    }
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
