#include "layers/Kinds.h"
#include "plugin/CXPipeLineCtrl.h"

#include "Selmor/CXViewer.h"
#include "Torvik/CXPlayerManager.h"
#include "geo/GeoExtent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <typeinfo>
#include <vector>

namespace {

struct ExpectedCategory {
    const char* name;
    bool ownLook;
    const std::type_info& type;
};

struct ExpectedKind {
    const char* word;
    const char* code;
    const char* layerName;
    osg::Vec4ub colour;
    bool fittings;
    std::vector<ExpectedCategory> categories;
};

// The kinds as the survey tables and the layer panel know them, in the order of their
// registration words (the order the control keeps its pipe factories in).
const std::vector<ExpectedKind>& expectedKinds() {
    static const std::vector<ExpectedKind> kinds = {
        {"dianshi",
         "DS",
         "有线电视管线",
         {0, 255, 0, 255},
         false,
         {{"检修井", true, typeid(DBDSJXJPoint)},
          {"接线箱", true, typeid(DBDSJXXPoint)},
          {"人孔", true, typeid(DBDSRKPoint)},
          {"上杆", true, typeid(DBDSSGPoint)},
          {"手孔", true, typeid(DBDSSKPoint)}}},
        {"dianxin",
         "DX",
         "电信管线",
         {0, 255, 0, 255},
         false,
         {{"检修井", true, typeid(DBDXJXJPoint)},
          {"接线箱", true, typeid(DBDXJXXPoint)},
          {"人孔", true, typeid(DBDXRKPoint)},
          {"上杆", true, typeid(DBDXSGPoint)},
          {"手孔", true, typeid(DBDXSKPoint)}}},
        {"gongyeqing",
         "QG",
         "工业氢气管线",
         {255, 0, 197, 255},
         true,
         {{"三通", false, typeid(DBQGSTPoint)}, {"弯头", false, typeid(DBQGWTPoint)}}},
        {"gongyeyang",
         "YG",
         "工业氧气管线",
         {255, 0, 197, 255},
         true,
         {{"三通", false, typeid(DBYGSTPoint)}, {"弯头", false, typeid(DBYGWTPoint)}}},
        {"junyong",
         "JY",
         "军用管线",
         {0, 255, 0, 255},
         false,
         {{"检修井", true, typeid(DBJYJXJPoint)},
          {"接线箱", true, typeid(DBJYJXXPoint)},
          {"人孔", true, typeid(DBJYRKPoint)},
          {"上杆", true, typeid(DBJYSGPoint)},
          {"手孔", true, typeid(DBJYSKPoint)}}},
        {"ludeng",
         "LD",
         "路灯管线",
         {255, 0, 0, 255},
         false,
         {{"路灯", true, typeid(DBLDLDPoint)},
          {"检修井", true, typeid(DBLDJXJPoint)},
          {"上杆", true, typeid(DBLDSGPoint)}}},
        {"power",
         "GD",
         "供电管线",
         {255, 0, 0, 255},
         false,
         {{"检修井", true, typeid(DBGDJXJPoint)},
          {"控制柜", true, typeid(DBGDKZGPoint)},
          {"上杆", true, typeid(DBGDSGPoint)}}},
        {"reshui",
         "RS",
         "热水管线",
         {255, 170, 0, 255},
         true,
         {{"检修井", true, typeid(DBRSJXJPoint)},
          {"三通", false, typeid(DBRSSTPoint)},
          {"弯头", false, typeid(DBRSWTPoint)}}},
        {"shiyou",
         "SY",
         "石油管线",
         {0, 38, 115, 255},
         true,
         {{"阀门", true, typeid(DBSYFMPoint)},
          {"三通", false, typeid(DBSYSTPoint)},
          {"弯头", false, typeid(DBSYWTPoint)}}},
        {"tianranqi",
         "TR",
         "天然气管线",
         {205, 0, 197, 255},
         true,
         {{"阀门井", true, typeid(DBTRFMJPoint)},
          {"三通", false, typeid(DBTRSTPoint)},
          {"调压箱", true, typeid(DBTRTYXPoint)},
          {"弯头", false, typeid(DBTRWTPoint)}}},
        {"water",
         "JS",
         "给水管线",
         {0, 0, 255, 255},
         true,
         {{"阀门井", true, typeid(DBJSFMJPoint)},
          {"阀门", true, typeid(DBJSFMPoint)},
          {"检修井", true, typeid(DBJSJXJPoint)},
          {"排污阀", true, typeid(DBJSPWFPoint)},
          {"水表", true, typeid(DBJSSBPoint)},
          {"消防栓", true, typeid(DBJSXFSPoint)},
          {"四通", false, typeid(DBJSFTPoint)},
          {"三通", false, typeid(DBJSSTPoint)},
          {"弯头", false, typeid(DBJSWTPoint)}}},
        {"wushui",
         "WS",
         "排水管线",
         {115, 76, 0, 255},
         true,
         {{"污水检修井", true, typeid(DBWSWSJXJPoint)},
          {"污篦", true, typeid(DBWSWBPoint)},
          {"检修井", true, typeid(DBWSJXJPoint)},
          {"三通", false, typeid(DBWSSTPoint)},
          {"弯头", false, typeid(DBWSWTPoint)}}},
        {"yidong",
         "YD",
         "移动管线",
         {0, 255, 0, 255},
         false,
         {{"检修井", true, typeid(DBYDJXJPoint)},
          {"人孔", true, typeid(DBYDRKPoint)},
          {"手孔", true, typeid(DBYDSKPoint)}}},
        {"yushui",
         "YS",
         "雨水管线",
         {115, 76, 0, 255},
         true,
         {{"三通", false, typeid(DBYSSTPoint)},
          {"弯头", false, typeid(DBYSWTPoint)},
          {"雨篦", true, typeid(DBYSYBPoint)},
          {"雨水井", true, typeid(DBYSYSJPoint)}}},
        {"yuwu",
         "PS",
         "雨污合流管线",
         {115, 76, 0, 255},
         true,
         {{"四通", false, typeid(DBPSFTPoint)},
          {"检修井", true, typeid(DBPSJXJPoint)},
          {"三通", false, typeid(DBPSSTPoint)},
          {"雨篦", true, typeid(DBPSYBPoint)}}},
    };
    return kinds;
}

CXPipeLineCtrl& control() {
    return *CXPipeLineCtrl::getInstance();
}

} // namespace

TEST(UtilityKinds, EveryKindRegistersOnePipeFactoryAndItsCategoriesUnderItsWord) {
    CXPipeLineCtrl& ctrl = control();
    ASSERT_EQ(ctrl.pipeCreators.size(), 15u);
    EXPECT_EQ(ctrl.pointCreators.size(), 60u);
    auto pipe = ctrl.pipeCreators.begin();
    for (const ExpectedKind& kind : expectedKinds()) {
        EXPECT_EQ(pipe->first, kind.word);
        EXPECT_EQ(ctrl.pointCreators.count(kind.word), kind.categories.size()) << kind.word;
        osg::ref_ptr<DBPipe> layer;
        pipe->second(layer);
        ASSERT_TRUE(layer.valid());
        EXPECT_EQ(layer->getKindCode(), kind.code);
        ++pipe;
    }
    // The factories found the one control the host knows as "Quenvale".
    const auto& controls = g_playerManager->getControls();
    EXPECT_EQ(
        std::count_if(controls.begin(), controls.end(), [](CXControl* c) { return c->name == "Quenvale"; }),
        1);
    EXPECT_NE(std::find(controls.begin(), controls.end(), &ctrl), controls.end());
}

TEST(UtilityKinds, InitializeGivesEveryKindItsLayerWithItsCategoriesInOrder) {
    CXViewer viewer;
    CXPipeLineCtrl& ctrl = control();
    ctrl.initialize();
    ctrl.initialize(); // a second initialisation keeps the layers the tiles already use

    EXPECT_EQ(ctrl.getNetworkRoot().get(), viewer.getPipeGroup());
    ASSERT_EQ(ctrl.pipeLayers.size(), expectedKinds().size());
    for (std::size_t i = 0; i < ctrl.pipeLayers.size(); ++i) {
        const ExpectedKind& kind = expectedKinds()[i];
        DBPipe& layer = *ctrl.pipeLayers[i];
        SCOPED_TRACE(kind.code);
        EXPECT_EQ(layer.getKindCode(), kind.code);
        EXPECT_EQ(layer.getLayerName(), kind.layerName);
        EXPECT_EQ(layer.getLayerColor(), kind.colour);
        ASSERT_EQ(layer.getPointCategories().size(), kind.categories.size());
        auto category = layer.getPointCategories().begin();
        for (const ExpectedCategory& expected : kind.categories) {
            DBPoint& point = **category++;
            EXPECT_EQ(point.getName(), expected.name);
            EXPECT_EQ(point.hasOwnLook(), expected.ownLook);
            EXPECT_EQ(typeid(point), expected.type);
            EXPECT_EQ(point.getOwner(), &layer);
            // Only drains, pressure pipes and gas lines measure the pipes at a fitting.
            EXPECT_EQ(dynamic_cast<DBFittingPoint*>(&point) != nullptr, kind.fittings);
        }
    }
}

TEST(CXPipeLineCtrl, FindsLayersByExactNameAndAsksEveryLayerForATile) {
    CXPipeLineCtrl& ctrl = control();
    ctrl.initialize();
    osg::ref_ptr<DBPipe> water = ctrl.findPipeLayer("给水管线");
    ASSERT_TRUE(water.valid());
    EXPECT_EQ(water->getKindCode(), "JS");
    EXPECT_FALSE(ctrl.findPipeLayer("给水管线 ").valid());
    EXPECT_FALSE(ctrl.findPipeLayer("").valid());

    osgEarth::GeoExtent extent(nullptr, 0, 0, 100, 100);
    osg::ref_ptr<osg::Group> tile = ctrl.createExtentNode(extent);
    EXPECT_EQ(tile->getNumChildren(), 15u);
}

TEST(PipeLayer, FindsCategoriesByExactNameAndPassesLidAndChamberSwitchesToEach) {
    struct Well : DBWSJXJPoint {
        int lids = 0, chambers = 0;
        void setLidVisible(bool visible) override { lids += visible ? 1 : 10; }
        void setChamberVisible(bool visible) override { chambers += visible ? 1 : 10; }
    };
    osg::ref_ptr<DBPipe> sewage = new DBWSPipe;
    osg::ref_ptr<Well> sewageWell = new Well;
    osg::ref_ptr<DBPoint> sewageInspection = new DBWSWSJXJPoint;
    sewage->addPoint(sewageInspection);
    sewage->addPoint(new DBWSSTPoint);
    sewage->addPoint(sewageWell.get());
    sewage->addPoint(nullptr);

    EXPECT_EQ(sewage->findPointCategory("检修井"), sewageWell.get());
    EXPECT_EQ(sewage->findPointCategory("污水检修井"), sewageInspection.get());
    EXPECT_EQ(sewage->findPointCategory("井"), nullptr);
    EXPECT_EQ(sewage->getPointCategories().size(), 3u);

    sewage->setLidsVisible(false);
    sewage->setChambersVisible(true);
    EXPECT_EQ(sewageWell->lids, 10);
    EXPECT_EQ(sewageWell->chambers, 1);
}
