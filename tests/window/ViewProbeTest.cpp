#include "app/ViewProbe.h"

#include "Selmor/ViewSetup.h"
#include "Torvik/Torvik.h"
#include "network/CPPipeLine.h"

#include <osg/Geode>
#include <osg/LOD>
#include <osg/MatrixTransform>
#include <osg/ShapeDrawable>
#include <osg/ValueObject>
#include <osgViewer/View>

#include <gtest/gtest.h>

#include <cmath>

namespace {

osg::Geode* quad(double z, double half) {
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(new osg::ShapeDrawable(new osg::Box(osg::Vec3(0, 0, z), 2 * half, 2 * half, 0.01f)));
    return geode.release();
}

// A view as the host sets it up (drawing through its passes, their viewport 800 x 600),
// over a flat ground at z = 0 and one water pipe along x at z = -2, 0.3 m round, its
// surveyed depth 1 m at the west end and 3 m at the east end.
struct ProbeScene : ::testing::Test {
    void SetUp() override {
        ground->addChild(quad(0.0, 40.0));
        osg::ref_ptr<osg::Geode> tube = new osg::Geode;
        auto* cylinder = new osg::Cylinder(osg::Vec3(), 0.3f, 40.0f);
        cylinder->setRotation(osg::Quat(osg::PI_2, osg::Y_AXIS));
        tube->addDrawable(new osg::ShapeDrawable(cylinder));
        placed->setMatrix(osg::Matrix::translate(0, 0, -2));
        placed->addChild(tube);
        placed->setName("JS1024");
        pipe->addChild(placed, 0.0f, 1000.0f);
        pipe->setName("给水管线");
        auto* segment = new CPPipeLine;
        segment->gid = "JS1024", segment->layerName = "给水管线";
        segment->startX = -20, segment->endX = 20, segment->startDepth = 1.0, segment->endDepth = 3.0;
        pipe->setUserData(segment);
        root->addChild(ground);
        root->addChild(pipe);
        view->setSceneData(root);
        ViewSetup::passes(view, ground);
        ViewSetup::pass(view, 0)->setViewport(0, 0, 800, 600);
        view->getCamera()->setProjectionMatrixAsPerspective(45.0, 800.0 / 600.0, 0.1, 1e4);
        // Looking down at the pipe from the south: the middle of the view is on it.
        view->getCamera()->setViewMatrixAsLookAt(osg::Vec3d(0, -30, 20), osg::Vec3d(0, 0, -2), osg::Z_AXIS);
        view->updateSlaves();
    }
    ViewProbe middle() const { return ViewProbe::at(view, ground, 400, 300); }
    void translucentGround() {
        ground->getOrCreateStateSet()->setRenderingHint(osg::StateSet::TRANSPARENT_BIN);
    }

    osg::ref_ptr<osgViewer::View> view = new osgViewer::View;
    osg::ref_ptr<osg::Group> root = new osg::Group, ground = new osg::Group;
    osg::ref_ptr<osg::LOD> pipe = new osg::LOD;
    osg::ref_ptr<osg::MatrixTransform> placed = new osg::MatrixTransform;
};

} // namespace

TEST_F(ProbeScene, FindsThePipeBeneathATranslucentGroundAndOtherwiseTheGround) {
    ViewProbe opaque = middle();
    ASSERT_TRUE(opaque.hit);
    EXPECT_TRUE(opaque.onGround);
    EXPECT_FALSE(opaque.pipe);
    EXPECT_NEAR(opaque.point.z(), 0.0, 0.01);
    EXPECT_NEAR(opaque.hitDepth, 0.0, 0.01);

    translucentGround();
    ViewProbe seen = middle();
    ASSERT_TRUE(seen.hit && seen.pipe);
    EXPECT_FALSE(seen.onGround);
    EXPECT_EQ(seen.layerName, "给水管线");
    EXPECT_EQ(seen.gid, "JS1024");
    EXPECT_NEAR(seen.ground, 0.0, 1e-9);
    // The upper side of the tube facing the eye, against the surveyed depth of its centre
    // line halfway along.
    EXPECT_DOUBLE_EQ(seen.hitDepth, seen.ground - seen.point.z());
    EXPECT_TRUE(seen.hitDepth > 1.69 && seen.hitDepth < 2.0) << seen.hitDepth;
    EXPECT_NEAR(seen.axisDepth, 2.0, 0.05);
    ASSERT_FALSE(seen.nodePath.empty());
    EXPECT_EQ(seen.nodePath.front().get(), root.get());
    EXPECT_EQ(seen.nodePath[1].get(), pipe.get());
    EXPECT_EQ(seen.nodePath[2].get(), placed.get());

    // What the host marks decides: a ground it says is not seen through hides the pipe.
    ground->setUserValue(Torvik::SeeThrough, false);
    EXPECT_TRUE(middle().onGround);
}

TEST_F(ProbeScene, NeverHitsWhatIsNotDrawn) {
    // A dig over the pipe: its hole mask is not hit, nor the ground it cuts away, though
    // the ground is opaque.
    osg::ref_ptr<osg::MatrixTransform> dig = new osg::MatrixTransform(osg::Matrix::translate(0, 0, 0.2));
    dig->addChild(quad(0.0, 5.0));
    dig->setNodeMask(ViewSetup::HoleMaskBit);
    root->addChild(dig);
    EXPECT_TRUE(middle().pipe);
    // The ray crosses the mask, but the ground it meets lies outside the dig's outline.
    dig->setMatrix(osg::Matrix::translate(0, -16.4, 10));
    EXPECT_TRUE(middle().onGround);
    root->removeChild(dig);

    translucentGround();

    // The pipe's layer hidden: the ground beneath the pointer, though seen through.
    pipe->setNodeMask(0);
    ViewProbe hidden = middle();
    EXPECT_TRUE(hidden.hit && hidden.onGround && !hidden.pipe);
    pipe->setNodeMask(~0u);

    // The pipe beyond the range it is drawn within, directly or through the LOD scale.
    pipe->setRange(0, 0.0f, 20.0f);
    EXPECT_FALSE(middle().pipe);
    view->getCamera()->setLODScale(0.5f);
    EXPECT_TRUE(middle().pipe);
}

TEST_F(ProbeScene, PixelsOnTheSkyOutsideTheViewOrNotNumbersHitNothing) {
    EXPECT_FALSE(ViewProbe::at(view, ground, 400, 2).hit); // above the horizon
    EXPECT_FALSE(ViewProbe::at(view, ground, 900, 300).hit);
    EXPECT_FALSE(ViewProbe::at(view, ground, -1, 300).hit);
    EXPECT_FALSE(ViewProbe::at(view, ground, NAN, 300).hit);
    EXPECT_FALSE(ViewProbe::at(nullptr, ground, 400, 300).hit);
    EXPECT_TRUE(ViewProbe::at(view, ground, 400, 599).hit);
}
