// The host's messages to the plug-in: the pipeline control's (OpenLine:, OpenKml:, Visual:,
// Remove:) run by the real handler against a target that records what it is asked to do,
// and the tools' field readers (DigByLine:, DigByRegion:, SetUpTunnel:, HighLight:,
// LayerVisible:, Opacity:), with the number reading they share.
#include "FuzzCheck.h"

#include "plugin/PipeHandler.h"
#include "text/Number.h"
#include "tools/ToolMessage.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

class Recorder : public LineLayerTarget {
public:
    bool openLine(std::string name, float depth, osg::Vec4f& color) override {
        check(name);
        FUZZ_CHECK(std::isfinite(depth) && color.valid());
        return true;
    }
    bool openKml(std::string name, std::vector<osg::Vec3d>* points, float radius, float heightOffset,
                 osg::Vec4f& color) override {
        check(name);
        FUZZ_CHECK(points && points->size() == 2);
        FUZZ_CHECK(std::isfinite(radius) && std::isfinite(heightOffset) && color.valid());
        return true;
    }
    void setLineLayerVisible(const std::string& name, bool) override {
        FUZZ_CHECK(name.find(',') == name.npos);
    }
    void removeLineLayer(const std::string& name) override { FUZZ_CHECK(name.find(',') == name.npos); }
    void attachBuiltLayers() override {}

private:
    // A layer is opened only under a name a later message can reach.
    static void check(const std::string& name) { FUZZ_CHECK(!name.empty() && name.find(',') == name.npos); }
};

void numbers(const std::string& text) {
    double value = 0.0;
    if (parseDecimal(text, value)) {
        // What is written is read back as the same number.
        FUZZ_CHECK(std::isfinite(value));
        double again = 0.0;
        FUZZ_CHECK(parseDecimal(formatDecimal(value), again) && again == value);
        double leading = 0.0;
        FUZZ_CHECK(leadingDecimal(text, leading) && leading == value);
    }
    double leading = 1.0;
    if (leadingDecimal(text, leading))
        FUZZ_CHECK(std::isfinite(leading));
    else
        FUZZ_CHECK(leading == 0.0);
    int whole = 0;
    if (parseWhole(text, whole)) {
        FUZZ_CHECK(parseDecimal(text, value) && value == whole);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string message(reinterpret_cast<const char*>(data), size);

    osg::ref_ptr<PipeHandler> handler = new PipeHandler;
    Recorder target;
    handler->postRemoval(message);
    handler->postCommandWithPoints(
        message, std::make_unique<PipeHandler::PointList>(2, osg::Vec3d(530000.0, 3384000.0, 20.0)));
    handler->runPending(target);
    handler->postCommand(message);
    handler->runPending(target);
    FUZZ_CHECK(handler->pendingCommand().empty() && handler->pendingRemoval().empty() &&
               !handler->hasPendingPoints());

    for (const char* verb : {"DigByLine:", "DigByRegion:", "SetUpTunnel:", "HighLight:", "LayerVisible:"}) {
        std::vector<std::string> fields;
        if (!ToolMessage::matchVerb(message, verb, fields))
            continue;
        std::vector<double> values;
        if (ToolMessage::numbers(fields, values))
            for (double value : values)
                FUZZ_CHECK(std::isfinite(value));
        ToolMessage::Tunnel tunnel;
        if (ToolMessage::tunnel(fields, tunnel)) {
            FUZZ_CHECK(std::isfinite(tunnel.width) && std::isfinite(tunnel.height) &&
                       std::isfinite(tunnel.top));
            FUZZ_CHECK(tunnel.line.size() == (fields.size() > 3 ? (fields.size() - 3) / 2 : 0));
        }
        for (const std::string& field : fields) {
            FUZZ_CHECK(field.find(',') == field.npos);
            ToolMessage::flag(field);
            numbers(field);
        }
    }
    float alpha = -1.0f;
    if (ToolMessage::opacity(message, alpha))
        FUZZ_CHECK(alpha >= 0.0f && alpha <= 1.0f);
    numbers(message);
    return 0;
}
