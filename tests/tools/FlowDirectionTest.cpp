// Flow bands on the drainage network: which tiles get them, how the offset creeps, and
// what they look like.
#include "tests/network/NetworkDatabase.h"
#include "tests/tools/SamplePictures.h"

#include "geo/GeoExtent.h"
#include "layers/DBPipe.h"
#include "plugin/CXPipeLineCtrl.h"
#include "tools/CXPipeLineCancelDirHandler.h"
#include "tools/CXPipeLineShowDirHandler.h"

#include "Selmor/CXViewer.h"

#include <osg/Program>

namespace {

osg::Program* programOf(osg::Node* group) {
    osg::StateSet* state = group->getStateSet();
    return state ? dynamic_cast<osg::Program*>(state->getAttribute(osg::StateAttribute::PROGRAM)) : nullptr;
}

float offsetOf(osg::Node* group) {
    float value = 99.0f;
    osg::StateSet* state = group->getStateSet();
    if (osg::Uniform* offset = state ? state->getUniform("offset") : nullptr)
        offset->get(value);
    return value;
}

} // namespace

// A drainage tile and a water-supply tile in the viewer's scene, whose frames run the
// update traversal.
TEST(FlowDirection, OnlyDrainageTilesGetTheBandsWhoseOffsetCreepsEachUpdateUntilCancelled) {
    NetworkDatabase db;
    for (const char* code : {"WS", "JS"})
        db.createKindTables(code);
    CXViewer viewer;
    CXPipeLineCtrl* control = CXPipeLineCtrl::getInstance();
    control->initialize();
    osg::ref_ptr<DBPipe> drainage = control->findPipeLayer("排水管线");
    osg::ref_ptr<DBPipe> water = control->findPipeLayer("给水管线");
    ASSERT_TRUE(drainage && water);
    osgEarth::GeoExtent extent(nullptr, 0, 0, 100, 100);
    osg::ref_ptr<osg::Group> drainageTile = drainage->buildExtent(extent);
    osg::ref_ptr<osg::Group> waterTile = water->buildExtent(extent);
    viewer.getPipeGroup()->addChild(drainageTile);
    viewer.getPipeGroup()->addChild(waterTile);
    osg::Node* bands = drainageTile->getChild(1);
    osg::Node* plain = waterTile->getChild(1);

    osg::ref_ptr<CXPipeLineCancelDirHandler> cancel = new CXPipeLineCancelDirHandler;
    cancel->InitInstance(); // never shown: nothing to take off
    EXPECT_EQ(programOf(bands), nullptr);

    osg::ref_ptr<CXPipeLineShowDirHandler> show = new CXPipeLineShowDirHandler;
    show->InitInstance();
    ASSERT_NE(programOf(bands), nullptr);
    EXPECT_EQ(programOf(plain), nullptr);
    EXPECT_FLOAT_EQ(offsetOf(bands), 0.0f);

    viewer.frame();
    EXPECT_NEAR(offsetOf(bands), -0.01f, 1e-6f);
    for (int i = 1; i < 50; ++i)
        viewer.frame();
    EXPECT_NEAR(offsetOf(bands), -0.5f, 1e-4f);
    // Out of [-1, 1], it starts again from 0.
    bands->getStateSet()->getUniform("offset")->set(2.0f);
    viewer.frame();
    EXPECT_NEAR(offsetOf(bands), -0.01f, 1e-6f);

    // Showing again starts a new offset; cancelling takes only the program off.
    show->InitInstance();
    EXPECT_FLOAT_EQ(offsetOf(bands), 0.0f);
    cancel->InitInstance();
    EXPECT_EQ(programOf(bands), nullptr);
    EXPECT_NE(bands->getStateSet()->getUniform("offset"), nullptr);
}

using FlowPictures = SamplePictures;

// The drainage pipes turn to cyan bands; no cyan appears where there was no drainage
// pipe, and the water-supply pipes keep their blue.
TEST_F(FlowPictures, FlowOnShowsCyanBandsOnDrainagePipesOnly) {
    ASSERT_NO_FATAL_FAILURE(pictureAround(u8"activate 显示流向")); // scripts are UTF-8
    unsigned bands = count(*after, cyan);
    EXPECT_LT(count(*before, cyan), 50u);
    EXPECT_GT(bands, 300u);
    EXPECT_GT(count(*after, cyan, brown), bands * 8 / 10);
    EXPECT_NEAR(count(*after, blue), count(*before, blue), count(*before, blue) * 0.05);
}
