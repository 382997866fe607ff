#include "tools/CXRegionDigHandler.h"

#include "tools/ExcavationBuilder.h"
#include "tools/ToolFrame.h"
#include "tools/ToolMessage.h"

CXRegionDigHandler::CXRegionDigHandler() : CXPointCollectHandler(GL_LINE_LOOP, true, 0) {}

CXRegionDigHandler::~CXRegionDigHandler() = default;

void CXRegionDigHandler::InitInstance() {
    _state = Idle;
    _depth = 0.0;
    _points = new osg::Vec3dArray;
}

void CXRegionDigHandler::finish() {
    _state = Done;
    ToolFrame::report("区域开挖", ToolFrame::formatPoints(*_points));
}

void CXRegionDigHandler::OnMessage(std::string message) {
    std::vector<std::string> fields;
    if (ToolMessage::matchVerb(message, "DigByRegion:", fields)) {
        // The depth; a pit is dug under the outline drawn before.
        std::vector<double> values;
        if (!ToolMessage::numbers(fields, values) || values.empty())
            return;
        _depth = values[0];
        if (!_points || _points->size() <= 3)
            return;
        ExcavationBuilder::dig(_result, *_points, _depth, ExcavationBuilder::Dig::Region);
        ExcavationBuilder::attach(_result.get());
    } else if (message.compare(0, std::string("删除区域开挖").size(), "删除区域开挖") == 0) {
        reset();
        ExcavationBuilder::detach(_result);
    }
}
