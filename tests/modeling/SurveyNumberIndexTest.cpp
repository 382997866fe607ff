#include "../network/NetworkDatabase.h"

#include "layers/PipeEndVisitor.h"
#include "layers/SurveyNumberIndex.h"
#include "layers/Kinds.h"

#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <thread>
#include <vector>

namespace {

// Everything that tells two segment copies apart, in order.
std::vector<std::string> describe(const std::list<CPPipeLine>& segments) {
    std::vector<std::string> rows;
    for (const CPPipeLine& s : segments)
        rows.push_back(s.gid + "|" + s.startNumber + "|" + s.endNumber + "|" + std::to_string(s.startX) +
                       "|" + std::to_string(s.endY) + "|" + std::to_string(s.startDepth) + "|" +
                       s.sectionSize);
    return rows;
}

template <class Visitor>
std::vector<std::string> found(DBPipe& layer, const std::string& number, SegmentLookup lookup) {
    Visitor visitor(number, lookup);
    layer.accept(visitor);
    return describe(visitor.getResult());
}

// A random network of one kind: survey numbers that differ only by a leading zero or
// letter case, numbers surveyed twice (each line through them is joined once per row),
// lines to numbers that were never surveyed, and lines that start and end at one point.
std::set<std::string> writeRandomNetwork(NetworkDatabase& db, const std::string& code, unsigned seed) {
    std::mt19937 random(seed);
    const std::vector<std::string> numbers = {"12",  "012", "12 ", "a7",  "A7",  "J-1", "J-2",  "J-3",
                                              "J-4", "J-5", "J-6", "J-7", "J-8", "",    "管点9"};
    std::uniform_int_distribution<std::size_t> pick(0, numbers.size() - 1);
    std::uniform_real_distribution<double> coordinate(0, 200);
    db.createKindTables(code);
    db.begin();
    for (std::size_t i = 0; i + 2 < numbers.size(); ++i) {
        db.addPoint(code, "P" + std::to_string(i), numbers[i], coordinate(random), coordinate(random), 1.0,
                    "三通");
        if (i % 4 == 0)
            db.addPoint(code, "Q" + std::to_string(i), numbers[i], coordinate(random), coordinate(random),
                        2.0, "三通");
    }
    for (int i = 0; i < 400; ++i)
        db.addLine(code, "L" + std::to_string(i), numbers[pick(random)], numbers[pick(random)], 1.0 + i % 3,
                   1.0, std::to_string(100 + i));
    db.commit();
    return std::set<std::string>(numbers.begin(), numbers.end());
}

} // namespace

TEST(SurveyNumberIndex, FindsExactlyWhatTheScanFindsInTheSameOrderOnRandomNetworks) {
    for (unsigned seed : {1u, 2u, 3u}) {
        NetworkDatabase db;
        std::set<std::string> numbers = writeRandomNetwork(db, "WS", seed);
        numbers.insert("never surveyed");
        osg::ref_ptr<DBPipe> layer = new DBWSPipe;
        ASSERT_GT(layer->segments().size(), 400u);

        std::size_t starts = 0, ends = 0;
        for (const std::string& number : numbers) {
            std::vector<std::string> scanned = found<PipeStVisitor>(*layer, number, SegmentLookup::Scan);
            EXPECT_EQ(found<PipeStVisitor>(*layer, number, SegmentLookup::Indexed), scanned) << number;
            starts += scanned.size();
            scanned = found<PipeEdVisitor>(*layer, number, SegmentLookup::Indexed);
            EXPECT_EQ(found<PipeEdVisitor>(*layer, number, SegmentLookup::Scan), scanned) << number;
            ends += scanned.size();
        }
        EXPECT_EQ(starts, layer->segments().size());
        EXPECT_EQ(ends, layer->segments().size());
    }
}

TEST(SurveyNumberIndex, FittingsBuiltThroughTheIndexHaveTheArmsOfTheScan) {
    g_playerManager->setTerrain(std::make_shared<FlatTerrain>(30.0));
    NetworkDatabase db;
    writeRandomNetwork(db, "JS", 7);
    osg::ref_ptr<DBPipe> layer = new DBJSPipe;
    osg::ref_ptr<DBJSSTPoint> tees = new DBJSSTPoint;
    layer->addPoint(tees.get());
    for (const char* number : {"12", "012", "J-3", "管点9", "nowhere"}) {
        CPPoint point;
        point.surveyNumber = number;
        tees->setSegmentLookup(SegmentLookup::Scan);
        std::list<FittingArm> scanned = tees->startArms(point), scannedEnds = tees->endArms(point);
        tees->setSegmentLookup(SegmentLookup::Indexed);
        std::list<FittingArm> indexed = tees->startArms(point), indexedEnds = tees->endArms(point);
        scanned.splice(scanned.end(), scannedEnds);
        indexed.splice(indexed.end(), indexedEnds);
        ASSERT_EQ(indexed.size(), scanned.size()) << number;
        for (auto a = indexed.begin(), b = scanned.begin(); a != indexed.end(); ++a, ++b) {
            EXPECT_EQ(a->direction, b->direction);
            EXPECT_EQ(a->radius, b->radius);
        }
    }
}

TEST(SurveyNumberIndex, IsBuiltOnceForALayerWhoseTilesAskAtTheSameTime) {
    NetworkDatabase db;
    writeRandomNetwork(db, "TR", 11);
    osg::ref_ptr<DBPipe> layer = new DBTRPipe, other = new DBTRPipe;

    std::vector<std::shared_ptr<const SurveyNumberIndex>> seen(8);
    std::vector<std::vector<std::string>> joints(8);
    std::vector<std::thread> tiles;
    for (std::size_t t = 0; t < seen.size(); ++t)
        tiles.emplace_back([&, t] {
            seen[t] = SurveyNumberIndex::of(*layer);
            joints[t] = found<PipeEdVisitor>(*layer, "J-5", SegmentLookup::Indexed);
        });
    for (std::thread& tile : tiles)
        tile.join();

    ASSERT_NE(seen[0], nullptr);
    for (std::size_t t = 0; t < seen.size(); ++t) {
        EXPECT_EQ(seen[t], seen[0]);
        EXPECT_EQ(joints[t], found<PipeEdVisitor>(*layer, "J-5", SegmentLookup::Scan));
    }
    // Another layer has its own list and so its own index.
    std::shared_ptr<const SurveyNumberIndex> theirs = SurveyNumberIndex::of(*other);
    ASSERT_NE(theirs, nullptr);
    EXPECT_NE(theirs, seen[0]);
    EXPECT_EQ(theirs->endingAt("J-5").size(), seen[0]->endingAt("J-5").size());
    EXPECT_NE(theirs->endingAt("J-5").front(), seen[0]->endingAt("J-5").front());
}

TEST(SurveyNumberIndex, ALayerWithoutSegmentsYetIsIndexedOnceItsSegmentsArrive) {
    NetworkDatabase db;
    db.createKindTables("YG");
    osg::ref_ptr<DBPipe> layer = new DBYGPipe;
    EXPECT_EQ(SurveyNumberIndex::of(*layer), nullptr);
    EXPECT_TRUE(found<PipeStVisitor>(*layer, "A", SegmentLookup::Indexed).empty());

    db.addPoint("YG", "a", "A", 0, 0, 1, "三通");
    db.addPoint("YG", "b", "B", 5, 0, 1, "弯头");
    db.addLine("YG", "ab", "A", "B", 1, 1);
    EXPECT_EQ(found<PipeStVisitor>(*layer, "A", SegmentLookup::Indexed).size(), 1u);
    EXPECT_EQ(found<PipeEdVisitor>(*layer, "B", SegmentLookup::Indexed).size(), 1u);
    EXPECT_TRUE(found<PipeEdVisitor>(*layer, "A", SegmentLookup::Indexed).empty());
}
