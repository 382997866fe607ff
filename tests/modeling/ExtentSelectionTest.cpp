#include "tests/network/NetworkDatabase.h"

#include "modeling/ExtentGrid.h"
#include "layers/extentPipeVisitor.h"
#include "layers/extentPointVisitor.h"
#include "layers/Kinds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

// The kinds' point caches live for the whole process, so each test reads points of a
// kind of its own.

namespace {

const ExtentLookup BothLookups[] = {ExtentLookup::Indexed, ExtentLookup::Scan};

osgEarth::GeoExtent extentOf(double xMin, double yMin, double xMax, double yMax) {
    return osgEarth::GeoExtent(nullptr, xMin, yMin, xMax, yMax);
}

// The GIDs of what an extent visitor selects from a layer or a category.
template <class Visitor, class Visited>
std::string selected(Visited& visited, const osgEarth::GeoExtent& extent, ExtentLookup lookup) {
    Visitor visitor(extent, lookup);
    visited.accept(visitor);
    std::string gids;
    for (const auto& record : visitor.getResult())
        gids += record.gid + " ";
    return gids;
}

std::string segmentsIn(DBPipe& layer, const osgEarth::GeoExtent& extent, ExtentLookup lookup) {
    return selected<extentPipeVisitor>(layer, extent, lookup);
}

std::string pointsIn(DBPoint& category, const osgEarth::GeoExtent& extent, ExtentLookup lookup) {
    return selected<extentPointVisitor>(category, extent, lookup);
}

// A 2 x 2 tiling of [0, 200] x [0, 200] as the paged graph lays it out: the tiles on the
// graph's east and south edges widened by the smallest step, so those edges are closed.
std::vector<osgEarth::GeoExtent> twoByTwoTiles() {
    const double inf = std::numeric_limits<double>::infinity();
    const double east = std::nextafter(200.0, inf), south = std::nextafter(0.0, -inf);
    return {extentOf(0, 100, 100, 200), extentOf(100, 100, east, 200), extentOf(0, south, 100, 100),
            extentOf(100, south, east, 100)};
}

} // namespace

TEST(ExtentSelection, ASegmentIsSelectedWhenItsRectangleMeetsTheTileEdgesIncluded) {
    NetworkDatabase db;
    db.createKindTables("GD");
    const double points[][2] = {{100, 20}, {150, 30}, {90, 130}, {130, 90}, {250, 10}, {260, 40}, {40, 40}};
    for (int i = 0; i < 7; ++i)
        db.addPoint("GD", "P" + std::to_string(i), "GD" + std::to_string(i), points[i][0], points[i][1], 1,
                    "直线点");
    db.addLine("GD", "touching", "GD0", "GD1", 1, 1); // its west end on the shared edge x = 100
    db.addLine("GD", "diagonal", "GD2", "GD3", 1, 1); // passes the corner (100, 100) outside both
    db.addLine("GD", "far", "GD4", "GD5", 1, 1);      // east of both
    db.addLine("GD", "inside", "GD6", "GD6", 1, 1);   // a point-like segment inside the west tile
    osg::ref_ptr<DBPipe> layer = new DBGDPipe;

    for (ExtentLookup lookup : BothLookups) {
        EXPECT_EQ(segmentsIn(*layer, extentOf(0, 0, 100, 100), lookup), "touching diagonal inside ");
        EXPECT_EQ(segmentsIn(*layer, extentOf(100, 0, 200, 100), lookup), "touching diagonal ");
        EXPECT_EQ(segmentsIn(*layer, extentOf(0, 200, 100, 300), lookup), "");
    }
}

TEST(ExtentSelection, APointOnAnEdgeOrCornerBetweenTilesIsInExactlyOneOfThem) {
    NetworkDatabase db;
    db.createKindTables("DX");
    // Shared edges, the shared corner, the four outer edges and the outer corners.
    const double points[][2] = {{100, 50}, {50, 100}, {100, 100}, {0, 50},      {200, 50},
                                {50, 0},   {50, 200}, {0, 0},     {200, 200},   {0, 200},
                                {200, 0},  {100, 0},  {200, 100}, {37.5, 162.5}};
    for (int i = 0; i < 14; ++i)
        db.addPoint("DX", "P" + std::to_string(i), "DX" + std::to_string(i), points[i][0], points[i][1], 1,
                    "检修井");
    osg::ref_ptr<DBPoint> wells = new DBDXJXJPoint;
    std::vector<osgEarth::GeoExtent> tiles = twoByTwoTiles();

    for (ExtentLookup lookup : BothLookups) {
        std::vector<std::string> inTile;
        for (const osgEarth::GeoExtent& tile : tiles)
            inTile.push_back(pointsIn(*wells, tile, lookup));
        for (int i = 0; i < 14; ++i) {
            std::string gid = "P" + std::to_string(i) + " ";
            int holders = 0;
            for (const std::string& gids : inTile)
                holders += gids.find(gid) == 0 || gids.find(" " + gid) != std::string::npos;
            EXPECT_EQ(holders, 1) << "point at " << points[i][0] << ", " << points[i][1];
        }
        // West edges are closed, so a point on the edge between two columns goes east; north
        // edges are closed, so a point between two rows goes south.
        EXPECT_EQ(inTile[0], "P6 P9 P13 ");
        EXPECT_EQ(inTile[1], "P8 ");
        EXPECT_EQ(inTile[2], "P1 P3 P5 P7 ");
        EXPECT_EQ(inTile[3], "P0 P2 P4 P10 P11 P12 ");
    }
}

TEST(ExtentSelection, GridAndScanSelectTheSameRecordsInTheSameOrderOnRandomNetworks) {
    NetworkDatabase db;
    db.createKindTables("LD");
    std::mt19937 random(20261206);
    // Coordinates on a coarse lattice, so records often lie exactly on tile edges.
    std::uniform_int_distribution<int> lattice(-20, 420);
    std::uniform_int_distribution<int> percent(0, 99);
    auto coordinate = [&] { return lattice(random) * 2.5; };

    const int pointCount = 1500, segmentCount = 2500;
    db.begin();
    for (int i = 0; i < pointCount; ++i) {
        std::string number = "LD" + std::to_string(i);
        int kind = percent(random);
        if (kind < 2) // coordinates out of range, which the loader reads as 0: far from the others
            db.exec("INSERT INTO TQMB_LDPoint VALUES ('P" + std::to_string(i) + "', '" + number +
                    "', 1e999, -1e999, 0, 1, '检修井', '', '')");
        else
            db.addPoint("LD", "P" + std::to_string(i), number, coordinate(), coordinate(), 1, "检修井");
    }
    for (int i = 0; i < segmentCount; ++i) {
        int from = static_cast<int>(random() % pointCount), to = static_cast<int>(random() % pointCount);
        if (percent(random) < 60) // most segments join near neighbours; the others cross the map
            to = std::min(pointCount - 1, from + 1 + static_cast<int>(random() % 3));
        if (percent(random) < 3)
            to = from;
        db.addLine("LD", "S" + std::to_string(i), "LD" + std::to_string(from), "LD" + std::to_string(to), 1,
                   1);
    }
    db.commit();

    osg::ref_ptr<DBPipe> layer = new DBLDPipe;
    osg::ref_ptr<DBPoint> wells = new DBLDJXJPoint;
    ASSERT_EQ(layer->segments().size(), static_cast<std::size_t>(segmentCount));
    ASSERT_EQ(wells->getRecords().size(), static_cast<std::size_t>(pointCount));

    const double inf = std::numeric_limits<double>::infinity();
    std::vector<osgEarth::GeoExtent> tiles = {
        extentOf(-inf, -inf, inf, inf), extentOf(2000, 2000, 3000, 3000),
        extentOf(-5000, -5000, -4000, -4000), extentOf(300, 300, 100, 100)};
    std::uniform_int_distribution<int> size(0, 80);
    for (int i = 0; i < 400; ++i) {
        double x = coordinate(), y = coordinate();
        tiles.push_back(extentOf(x, y, x + size(random) * 2.5, y + size(random) * 2.5));
    }
    std::size_t selectedSegments = 0;
    for (const osgEarth::GeoExtent& tile : tiles) {
        std::string scanned = segmentsIn(*layer, tile, ExtentLookup::Scan);
        ASSERT_EQ(segmentsIn(*layer, tile, ExtentLookup::Indexed), scanned);
        ASSERT_EQ(pointsIn(*wells, tile, ExtentLookup::Indexed), pointsIn(*wells, tile, ExtentLookup::Scan));
        selectedSegments += !scanned.empty();
    }
    // The tiles really select something, so the agreement means something.
    EXPECT_GT(selectedSegments, tiles.size() / 2);
}

TEST(ExtentGrid, EveryRecordMeetingAQueryIsACandidateWhateverTheNumbers) {
    // Records the loaders never produce but a layer of another origin might hold: no
    // numbers, infinities, inverted and enormous rectangles.
    const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(-100.0, 100.0);
    auto anyNumber = [&] {
        switch (random() % 12) {
        case 0:
            return nan;
        case 1:
            return inf;
        case 2:
            return -inf;
        case 3:
            return 1e300;
        default:
            return coordinate(random);
        }
    };
    std::vector<ExtentGrid::Box> boxes;
    for (int i = 0; i < 3000; ++i) {
        double x = coordinate(random), y = coordinate(random);
        if (i % 5 == 0)
            boxes.push_back({anyNumber(), anyNumber(), anyNumber(), anyNumber()});
        else
            boxes.push_back({x, y, x + coordinate(random) / 20, y + coordinate(random) / 20});
    }
    ExtentGrid grid(boxes);
    std::vector<std::uint32_t> candidates;
    for (int q = 0; q < 300; ++q) {
        ExtentGrid::Box query{anyNumber(), anyNumber(), anyNumber(), anyNumber()};
        grid.candidates(query, candidates);
        ASSERT_TRUE(std::is_sorted(candidates.begin(), candidates.end()));
        ASSERT_TRUE(std::adjacent_find(candidates.begin(), candidates.end()) == candidates.end());
        for (std::uint32_t i = 0; i < boxes.size(); ++i) {
            const ExtentGrid::Box& box = boxes[i];
            bool meets = !(box.xMin > query.xMax || query.xMin > box.xMax || box.yMin > query.yMax ||
                           query.yMin > box.yMax);
            if (meets) {
                ASSERT_TRUE(std::binary_search(candidates.begin(), candidates.end(), i))
                    << "record " << i << " missed by query " << q;
            }
        }
    }
}
