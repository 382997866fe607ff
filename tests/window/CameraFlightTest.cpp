#include "app/CameraFlight.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(CameraFlight, FramesTheTargetFacingTheWayTheViewFacedAndStaysPutOnBadInput) {
    const CameraFlight::Pose from{{1000, -500, 800}, {1000, 500, 0}}; // facing north
    const osg::Vec3d target(530123.5, 3384567.25, 18.0);
    CameraFlight::Pose framed = CameraFlight::framing(from, target);
    EXPECT_EQ(framed.centre, target);
    const osg::Vec3d offset = framed.eye - framed.centre;
    EXPECT_NEAR(offset.length(), CameraFlight::FramingDistance, 1e-6);
    EXPECT_NEAR(offset.x(), 0.0, 1e-6); // still facing north: the eye south of the target
    EXPECT_LT(offset.y(), 0.0);
    EXPECT_NEAR(std::asin(offset.z() / offset.length()), osg::DegreesToRadians(35.0), 1e-9);

    // Straight down there is no heading: north then.
    framed = CameraFlight::framing({{5, 5, 100}, {5, 5, 0}}, target, 10.0);
    EXPECT_NEAR((framed.eye - target).length(), 10.0, 1e-6);
    EXPECT_LT(framed.eye.y(), target.y());

    CameraFlight nowhere(from, {{NAN, 0, 0}, {0, 0, 0}});
    EXPECT_EQ(nowhere.at(0.5).eye, from.eye);
    EXPECT_EQ(nowhere.at(5.0).centre, from.centre);
}

TEST(CameraFlight, GoesFromWhereItIsToTheTargetWithoutAJump) {
    const CameraFlight::Pose from{{0, -2000, 1500}, {0, 0, 0}};
    const CameraFlight::Pose to = CameraFlight::framing(from, {300, 250, -2});
    CameraFlight flight(from, to, 1.0);
    EXPECT_EQ(flight.at(0.0).eye, from.eye);
    EXPECT_EQ(flight.at(1.0).eye, to.eye);
    EXPECT_EQ(flight.at(3.0).centre, to.centre);
    EXPECT_TRUE(flight.done(1.0) && !flight.done(0.99));

    // At 1000 frames a second: no step more than a few times the average one, and the
    // first and last ones barely move.
    const int frames = 1000;
    double longest = 0.0, total = 0.0, first = 0.0, last = 0.0;
    CameraFlight::Pose before = flight.at(0.0);
    for (int i = 1; i <= frames; ++i) {
        CameraFlight::Pose now = flight.at(i / double(frames));
        double step = (now.eye - before.eye).length() + (now.centre - before.centre).length();
        ASSERT_TRUE(std::isfinite(step));
        longest = std::max(longest, step), total += step;
        (i == 1 ? first : last) = step;
        before = now;
    }
    const double average = total / frames;
    EXPECT_LT(longest, 3.0 * average);
    EXPECT_LT(first, 0.05 * average);
    EXPECT_LT(last, 0.05 * average);
}
