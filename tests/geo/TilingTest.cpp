#include "geo/Profile.h"
#include "geo/TileKey.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace osgEarth;

// Columns count from the west edge, rows from the north edge; without tile counts the
// root is one tile over the whole extent, square or not.
TEST(TileKey, ColumnsCountFromTheWestAndRowsFromTheNorthEdge) {
    osg::ref_ptr<Profile> wide = Profile::create("EPSG:4547", 1000.0, 2000.0, 1800.0, 2400.0, "", 0, 0);
    osg::ref_ptr<Profile> square = Profile::create("EPSG:4547", 0.0, 0.0, 800.0, 800.0);
    ASSERT_TRUE(wide && square);
    const struct {
        const Profile* profile;
        unsigned lod, x, y;
        std::vector<double> bounds; // xmin ymin xmax ymax
    } cases[] = {
        {wide.get(), 0, 0, 0, {1000.0, 2000.0, 1800.0, 2400.0}},
        {wide.get(), 1, 1, 0, {1400.0, 2200.0, 1800.0, 2400.0}},
        {square.get(), 3, 2, 6, {200.0, 100.0, 300.0, 200.0}},
        {square.get(), 3, 7, 0, {700.0, 700.0, 800.0, 800.0}},
    };
    for (const auto& c : cases) {
        const GeoExtent e = TileKey(c.lod, c.x, c.y, c.profile).getExtent();
        EXPECT_EQ(e.getSRS(), c.profile->getSRS());
        EXPECT_EQ(std::vector<double>({e.xMin(), e.yMin(), e.xMax(), e.yMax()}), c.bounds)
            << c.lod << "/" << c.x << "/" << c.y;
    }
    double cx = 0, cy = 0;
    EXPECT_TRUE(TileKey(3, 2, 6, square.get()).getExtent().getCentroid(cx, cy) && cx == 250.0 && cy == 150.0);
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

TEST(TileKey, KeysOutsideTheGridAndProfilesWithoutSystemOrAreaAreInvalid) {
    osg::ref_ptr<Profile> profile = Profile::create("EPSG:4547", 0.0, 0.0, 800.0, 800.0);
    EXPECT_TRUE(TileKey(1, 1, 1, profile.get()).valid());
    for (const TileKey& key : {TileKey(1, 2, 0, profile.get()), TileKey(1, 0, 2, profile.get()),
                               TileKey(40, 0, 0, profile.get()), TileKey(0, 0, 0, nullptr)})
        EXPECT_FALSE(key.valid()) << key.getLevelOfDetail() << "/" << key.getTileX() << "/" << key.getTileY();
    EXPECT_FALSE(Profile::create("", 0.0, 0.0, 800.0, 800.0));
    EXPECT_FALSE(Profile::create("EPSG:4547", 0.0, 0.0, 0.0, 0.0));
    EXPECT_FALSE(Profile::create("EPSG:4547", 800.0, 0.0, 0.0, 800.0));
    EXPECT_FALSE(Profile::create("EPSG:4547", 0.0, 0.0, std::nan(""), 800.0));
}
