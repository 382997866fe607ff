// The layer panel's switches, on the layers of a small network and in the host's table.
#include "tests/network/NetworkDatabase.h"

#include "geo/GeoExtent.h"
#include "layers/DBPipe.h"
#include "plugin/CXPipeLineCtrl.h"
#include "tools/CXPipeLayerHandler.h"

#include "Selmor/CXViewer.h"

#include <gtest/gtest.h>

#include <map>

namespace {

struct Shown {
    bool pipe, lid, chamber;
    unsigned mask; // of the layer's tile
};

} // namespace

// One message after the other, each checked against what every layer and the host's
// table then show: water supply (JS), industrial oxygen (YG) and hydrogen (QG), rain
// water (YS, no row of the panel).
TEST(LayerTool, PanelMessagesSwitchTheRightLayerPartAndTellTheHost) {
    NetworkDatabase db;
    for (const char* code : {"JS", "YG", "QG", "YS"})
        db.createKindTables(code);
    CXViewer viewer;
    CXPipeLineCtrl* control = CXPipeLineCtrl::getInstance();
    control->initialize();
    const std::map<std::string, std::string> layerOf = {
        {"JS", "给水管线"}, {"YG", "工业氧气管线"}, {"QG", "工业氢气管线"}, {"YS", "雨水管线"}};
    std::map<std::string, osg::ref_ptr<osg::Group>> tiles;
    for (const auto& [code, name] : layerOf) {
        osg::ref_ptr<DBPipe> layer = control->findPipeLayer(name);
        ASSERT_TRUE(layer.valid()) << code;
        tiles[code] = layer->buildExtent(osgEarth::GeoExtent(nullptr, 0, 0, 100, 100));
    }
    osg::ref_ptr<CXPipeLayerHandler> tool = new CXPipeLayerHandler;

    const unsigned on = ~0u, off = 0u;
    const struct {
        const char* message;
        std::map<std::string, Shown> after;
    } steps[] = {
        {"LayerVisible:给水管线,给水管线,0",
         {{"JS", {false, true, true, off}}, {"YG", {true, true, true, on}}}},
        // The panel's names for the industrial gases are not the layers' names.
        {"LayerVisible:氧气管线,氧气管线,0",
         {{"YG", {false, true, true, off}}, {"QG", {true, true, true, on}}}},
        {"LayerVisible:负压管线,负压管线,0", {{"QG", {false, true, true, off}}}},
        {"LayerVisible:给水管点,井盖,0", {{"JS", {false, false, true, off}}}},
        {"LayerVisible:给水管点,井室,0", {{"JS", {false, false, false, off}}}},
        // A line name with a part name: nothing. Any number but 0 shows, no number hides.
        {"LayerVisible:给水管线,井盖,1", {{"JS", {false, false, false, off}}}},
        {"LayerVisible:给水管线,给水管线,2", {{"JS", {true, false, false, on}}}},
        {"LayerVisible:给水管点,井盖,-1", {{"JS", {true, true, false, on}}}},
        {"LayerVisible:给水管点,井盖,yes", {{"JS", {true, false, false, on}}}},
        // Too few fields, no row of the panel: nothing.
        {"LayerVisible:给水管线,给水管线", {{"JS", {true, false, false, on}}}},
        {"LayerVisible:雨水管线,雨水管线,0", {{"YS", {true, true, true, on}}}},
    };
    for (const auto& step : steps) {
        tool->OnMessage(step.message);
        for (const auto& [code, shown] : step.after) {
            PIPEVISIBLETABLE host;
            viewer.getPipeVisible(code, host);
            EXPECT_EQ(host.pipe, shown.pipe) << step.message << " " << code;
            EXPECT_EQ(host.lid, shown.lid) << step.message << " " << code;
            EXPECT_EQ(host.chamber, shown.chamber) << step.message << " " << code;
            EXPECT_EQ(tiles[code]->getNodeMask(), shown.mask) << step.message << " " << code;
        }
    }
}
