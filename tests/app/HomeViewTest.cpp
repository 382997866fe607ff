#include "app/HomeView.h"

#include <osg/Matrixd>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

// From 10 m to 50 km across: every corner of the network in the picture, the eye south of
// it and above, and a scale that pages every deepest tile in (small networks) or keeps the
// root tile in range beyond the home view (large ones).
TEST(HomeView, FramesTheWholeNetworkAndScalesItsDetailAtAnySize) {
    const double x0 = 530000, y0 = 3384000, ground = 21.5;
    for (double width : {10.0, 100.0, 811.0, 2000.0, 5600.0, 20000.0, 50000.0}) {
        SCOPED_TRACE(width);
        const double height = 0.7 * width;
        HomeView home = HomeView::of(x0, y0, x0 + width, y0 + height, ground, 45.0, 1.6);
        EXPECT_LT(home.eye.y(), y0);
        EXPECT_GT(home.eye.z(), ground + 0.5 * height);
        osg::Matrixd toClip = osg::Matrixd::lookAt(home.eye, home.centre, osg::Vec3d(0, 0, 1)) *
                              osg::Matrixd::perspective(45.0, 1.6, 1.0, 1e6);
        double widest = 0;
        for (double x : {x0, x0 + width})
            for (double y : {y0, y0 + height})
                for (double z : {ground, ground - 5.0}) {
                    osg::Vec4d clip = osg::Vec4d(x, y, z, 1.0) * toClip;
                    ASSERT_GT(clip.w(), 0.0);
                    EXPECT_LE(std::fabs(clip.x() / clip.w()), 1.0);
                    EXPECT_LE(std::fabs(clip.y() / clip.w()), 1.0);
                    widest =
                        std::max({widest, std::fabs(clip.x() / clip.w()), std::fabs(clip.y() / clip.w())});
                }
        EXPECT_GT(widest, 0.6); // framed, not lost in the middle

        const double diagonal = std::hypot(width, height), away = (home.eye - home.centre).length();
        if (diagonal / 8 <= HomeView::PipeRange) {
            EXPECT_LE((away + diagonal / 2) * home.lodScale, diagonal / 8);
        } else {
            EXPECT_LE((away + diagonal / 2) * home.lodScale, diagonal);
            EXPECT_GE(home.lodScale, 0.5);
            EXPECT_LE(home.lodScale, 1.0);
        }
    }
}
