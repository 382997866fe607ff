#include "geo/Profile.h"
#include "geo/TileKey.h"

#include <osg/ref_ptr>

#include <gtest/gtest.h>

#include <cmath>

using osgEarth::GeoExtent;
using osgEarth::Profile;
using osgEarth::TileKey;

TEST(Profile, WithoutTileCountsHasOneRootTileOverTheWholeNonSquareExtent) {
    osg::ref_ptr<Profile> profile = Profile::create("EPSG:4547", 1000.0, 2000.0, 1800.0, 2400.0, "", 0, 0);
    ASSERT_TRUE(profile);
    unsigned wide = 0, high = 0;
    ASSERT_TRUE(profile->getNumTiles(0, wide, high));
    EXPECT_EQ(wide, 1u);
    EXPECT_EQ(high, 1u);
    const GeoExtent root = TileKey(0, 0, 0, profile.get()).getExtent();
    EXPECT_EQ(root.xMin(), 1000.0);
    EXPECT_EQ(root.yMin(), 2000.0);
    EXPECT_EQ(root.xMax(), 1800.0);
    EXPECT_EQ(root.yMax(), 2400.0);
    EXPECT_EQ(root.getSRS(), profile->getSRS());
}

TEST(TileKey, RowsCountFromTheNorthEdge) {
    osg::ref_ptr<Profile> profile = Profile::create("EPSG:4547", 0.0, 0.0, 800.0, 800.0);
    ASSERT_TRUE(profile);
    const GeoExtent e = TileKey(3, 2, 6, profile.get()).getExtent();
    EXPECT_DOUBLE_EQ(e.xMin(), 200.0);
    EXPECT_DOUBLE_EQ(e.xMax(), 300.0);
    EXPECT_DOUBLE_EQ(e.yMax(), 200.0);
    EXPECT_DOUBLE_EQ(e.yMin(), 100.0);
    double cx = 0, cy = 0;
    ASSERT_TRUE(e.getCentroid(cx, cy));
    EXPECT_DOUBLE_EQ(cx, 250.0);
    EXPECT_DOUBLE_EQ(cy, 150.0);
}

TEST(TileKey, NeighbouringTilesShareTheirEdgesExactly) {
    // Awkward numbers: shared edges must still be bit-identical, and the last tiles
    // must end on the profile's own edges.
    osg::ref_ptr<Profile> profile = Profile::create("EPSG:4547", 0.1, 0.7, 1000.3, 777.7);
    ASSERT_TRUE(profile);
    for (unsigned i = 0; i + 1 < 8; ++i) {
        EXPECT_EQ(TileKey(3, i, 0, profile.get()).getExtent().xMax(),
                  TileKey(3, i + 1, 0, profile.get()).getExtent().xMin());
        EXPECT_EQ(TileKey(3, 0, i, profile.get()).getExtent().yMin(),
                  TileKey(3, 0, i + 1, profile.get()).getExtent().yMax());
    }
    EXPECT_EQ(TileKey(3, 7, 7, profile.get()).getExtent().xMax(), 1000.3);
    EXPECT_EQ(TileKey(3, 7, 7, profile.get()).getExtent().yMin(), 0.7);
}

TEST(TileKey, KeysOutsideTheGridOrWithoutProfileHaveNoExtent) {
    osg::ref_ptr<Profile> profile = Profile::create("EPSG:4547", 0.0, 0.0, 800.0, 800.0);
    EXPECT_FALSE(TileKey(1, 2, 0, profile.get()).valid());
    EXPECT_FALSE(TileKey(1, 0, 2, profile.get()).valid());
    EXPECT_FALSE(TileKey(40, 0, 0, profile.get()).valid());
    EXPECT_FALSE(TileKey(0, 0, 0, nullptr).valid());
    EXPECT_TRUE(TileKey(1, 1, 1, profile.get()).valid());
}

TEST(Profile, UnknownSystemOrEmptyExtentGivesNoProfile) {
    EXPECT_FALSE(Profile::create("", 0.0, 0.0, 800.0, 800.0));
    EXPECT_FALSE(Profile::create("EPSG:4547", 0.0, 0.0, 0.0, 0.0));
    EXPECT_FALSE(Profile::create("EPSG:4547", 800.0, 0.0, 0.0, 800.0));
}

TEST(GeoExtent, EdgesAreInsideAndTouchingExtentsIntersect) {
    GeoExtent a(nullptr, 0.0, 0.0, 10.0, 10.0);
    GeoExtent b(nullptr, 10.0, 0.0, 20.0, 10.0);
    EXPECT_TRUE(a.contains(10.0, 5.0));
    EXPECT_FALSE(a.contains(10.000001, 5.0));
    EXPECT_TRUE(a.intersects(b));
    EXPECT_FALSE(a.intersects(GeoExtent()));
    EXPECT_FALSE(GeoExtent(nullptr, 0.0, 0.0, std::nan(""), 1.0).isValid());
}
