#include "../network/NetworkDatabase.h"

#include "layers/Kinds.h"

#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

// Random networks with survey numbers that differ only by a leading zero, a blank or
// letter case, numbers surveyed twice (each line through them is joined once per row),
// numbers never surveyed, and lines that start and end at one point. Each line has a
// section of its own, so each arm tells which line it follows.
TEST(SurveyNumberIndex, GivesFittingsTheArmsAScanOfTheLayerGivesInTheSameOrder) {
    const std::vector<std::string> numbers = {"12",  "012", "12 ", "a7", "A7",
                                              "J-1", "J-2", "J-3", "",   "管点9"};
    g_playerManager->setTerrain(std::make_shared<FlatTerrain>(30.0));
    for (unsigned seed : {1u, 2u, 3u}) {
        NetworkDatabase db;
        std::mt19937 random(seed);
        std::uniform_real_distribution<double> coordinate(0, 200);
        db.createKindTables("WS");
        db.begin();
        for (std::size_t i = 0; i + 2 < numbers.size(); ++i)
            for (std::size_t copy = 0; copy < (i % 4 ? 1u : 2u); ++copy)
                db.addPoint("WS", "P" + std::to_string(i) + "-" + std::to_string(copy), numbers[i],
                            coordinate(random), coordinate(random), 1.0 + copy, "三通");
        for (int i = 0; i < 400; ++i)
            db.addLine("WS", "L" + std::to_string(i), numbers[random() % numbers.size()],
                       numbers[random() % numbers.size()], 1.0 + i % 3, 1.0, std::to_string(100 + i));
        db.commit();
        osg::ref_ptr<DBPipe> layer = new DBWSPipe;
        osg::ref_ptr<DBWSSTPoint> tees = new DBWSSTPoint;
        layer->addPoint(tees.get());

        std::size_t arms = 0;
        for (const std::string& number : numbers) {
            CPPoint point;
            point.surveyNumber = number;
            std::vector<std::pair<osg::Vec3d, double>> found[2];
            for (SegmentLookup lookup : {SegmentLookup::Scan, SegmentLookup::Indexed}) {
                tees->setSegmentLookup(lookup);
                for (const auto& list : {tees->startArms(point), tees->endArms(point)})
                    for (const FittingArm& arm : list)
                        found[lookup == SegmentLookup::Indexed].emplace_back(arm.direction, arm.radius);
            }
            EXPECT_EQ(found[1], found[0]) << number;
            arms += found[1].size();
            // Both lookups hand out the layer's own segments.
            tees->setSegmentLookup(SegmentLookup::Scan);
            const std::vector<const CPPipeLine*> scanned = tees->pipesEndingAt(point);
            tees->setSegmentLookup(SegmentLookup::Indexed);
            EXPECT_EQ(tees->pipesEndingAt(point), scanned) << number;
        }
        // Every segment leaves one point and arrives at one.
        EXPECT_GT(layer->segments().size(), 300u);
        EXPECT_EQ(arms, 2 * layer->segments().size());
    }
}
