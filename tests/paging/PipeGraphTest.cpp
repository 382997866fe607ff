#include "paging/CZEMPipeGraph.h"
#include "paging/ZEMPipePseudoLoader.h"

#include <osg/PagedLOD>
#include <osgDB/ReadFile>
#include <osgDB/Registry>

#include <gtest/gtest.h>

#include <cmath>

namespace {

osg::ref_ptr<osgDB::Options> graphOptions(const std::string& extent, const std::string& base = "10",
                                          const std::string& srs = "EPSG:32650") {
    osg::ref_ptr<osgDB::Options> options = new osgDB::Options;
    options->setPluginStringData("srs", srs);
    options->setPluginStringData("extent", extent);
    options->setPluginStringData("baseZ", base);
    return options;
}

osg::ref_ptr<CZEMPipeGraph> readGraph(const std::string& extent = "0 0 800 800") {
    osg::ref_ptr<osg::Node> node = osgDB::readRefNodeFile("district.pipe_zem", graphOptions(extent).get());
    return dynamic_cast<CZEMPipeGraph*>(node.get());
}

osgDB::ReaderWriter::ReadResult readTile(const std::string& name) {
    return osgDB::Registry::instance()->readNode(name, nullptr);
}

} // namespace

TEST(PipeGraph, RootIsOnePagedNodeReachingOneDiagonalFromTheCentre) {
    osg::ref_ptr<CZEMPipeGraph> graph = readGraph();
    ASSERT_TRUE(graph.valid());
    ASSERT_EQ(graph->getNumChildren(), 1u);
    auto* root = dynamic_cast<osg::PagedLOD*>(graph->getChild(0));
    ASSERT_NE(root, nullptr);
    double diagonal = 800.0 * std::sqrt(2.0);
    ASSERT_EQ(root->getNumRanges(), 1u);
    EXPECT_FLOAT_EQ(root->getMinRange(0), 0.0f);
    EXPECT_NEAR(root->getMaxRange(0), diagonal, 1e-3);
    EXPECT_NEAR(root->getRadius(), diagonal, 1e-3);
    // A projected map is its own world frame: the centre is where the tile is.
    EXPECT_NEAR(root->getCenter().x(), 400.0, 1e-3);
    EXPECT_NEAR(root->getCenter().y(), 400.0, 1e-3);
    EXPECT_NEAR(root->getCenter().z(), 10.0, 1e-3);
    EXPECT_EQ(root->getFileName(0), std::to_string(graph->getId()) + ".0_0_0.pipe_pseudo_zem");
}

TEST(PipeGraph, ATileAboveTheDeepestLevelHoldsItsFourChildrenInQuadtreeOrder) {
    osg::ref_ptr<CZEMPipeGraph> graph = readGraph();
    ASSERT_TRUE(graph.valid());
    unsigned id = graph->getId();
    osg::ref_ptr<osg::Node> node = graph->createNode(2, 1, 3, id);
    osg::Group* group = node ? node->asGroup() : nullptr;
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group->getNumChildren(), 4u);
    const char* expected[] = {".3_2_6.", ".3_2_7.", ".3_3_6.", ".3_3_7."};
    for (unsigned i = 0; i < 4; ++i) {
        auto* paged = dynamic_cast<osg::PagedLOD*>(group->getChild(i));
        ASSERT_NE(paged, nullptr);
        EXPECT_EQ(paged->getFileName(0), std::to_string(id) + expected[i] + "pipe_pseudo_zem");
        // Level-3 tiles are 100 m across: reached within one diagonal of the centre.
        EXPECT_NEAR(paged->getMaxRange(0), 100.0 * std::sqrt(2.0), 1e-3);
    }
    // Column 2 row 6 counts rows from the north edge: x 200..300, y 100..200.
    auto* first = static_cast<osg::PagedLOD*>(group->getChild(0));
    EXPECT_NEAR(first->getCenter().x(), 250.0, 1e-3);
    EXPECT_NEAR(first->getCenter().y(), 150.0, 1e-3);
}

TEST(PipeGraph, NothingBelowTheDeepestLevelOrOutsideTheGraph) {
    osg::ref_ptr<CZEMPipeGraph> graph = readGraph();
    ASSERT_TRUE(graph.valid());
    EXPECT_EQ(graph->createNode(4, 0, 0, graph->getId()), nullptr);
    EXPECT_EQ(graph->createNode(1, 2, 0, graph->getId()), nullptr);
    EXPECT_NE(graph->createNode(3, 7, 7, graph->getId()), nullptr);
}

TEST(PipeGraph, EveryGraphGetsTheNextIdAndStaysReachableWhileItLives) {
    osg::ref_ptr<CZEMPipeGraph> first = readGraph();
    osg::ref_ptr<CZEMPipeGraph> second = readGraph("1000 1000 1400 1800");
    ASSERT_TRUE(first.valid() && second.valid());
    EXPECT_EQ(second->getId(), first->getId() + 1);

    std::string firstTile = std::to_string(first->getId()) + ".3_5_2.pipe_pseudo_zem";
    std::string secondTile = std::to_string(second->getId()) + ".1_1_0.pipe_pseudo_zem";
    osgDB::ReaderWriter::ReadResult deepest = readTile(firstTile);
    ASSERT_TRUE(deepest.validNode()) << deepest.message();
    EXPECT_EQ(deepest.getNode()->asGroup()->getNumChildren(), 1u); // the network content of the tile
    EXPECT_TRUE(readTile(secondTile).validNode());

    first = nullptr;
    EXPECT_EQ(readTile(firstTile).status(), osgDB::ReaderWriter::ReadResult::ERROR_IN_READING_FILE);
    EXPECT_TRUE(readTile(secondTile).validNode());
}

TEST(PipeGraph, BadOptionsMakeNoGraphButAClearFailedRead) {
    auto read = [](osgDB::Options* options) {
        return osgDB::Registry::instance()->readNode("bad.pipe_zem", options);
    };
    for (auto options : {graphOptions("0 0 800"), graphOptions("0 0 800 800 5"), graphOptions("a b c d"),
                         graphOptions("0 0 0 800"), graphOptions("800 0 0 800"), graphOptions(""),
                         graphOptions("0 0 800 800", ""), graphOptions("0 0 800 800", "ten"),
                         graphOptions("0 0 800 800", "10", ""), graphOptions("0 0 800 800", "10", "EPSG:999999"),
                         osg::ref_ptr<osgDB::Options>()}) {
        osgDB::ReaderWriter::ReadResult result = read(options.get());
        EXPECT_FALSE(result.validNode());
        EXPECT_EQ(result.status(), osgDB::ReaderWriter::ReadResult::ERROR_IN_READING_FILE);
        EXPECT_FALSE(result.message().empty());
    }
}

TEST(TileLoader, OnlyWholeTileNamesOfLiveGraphsAreRead) {
    osg::ref_ptr<CZEMPipeGraph> graph = readGraph();
    ASSERT_TRUE(graph.valid());
    std::string id = std::to_string(graph->getId());
    using Status = osgDB::ReaderWriter::ReadResult;
    for (const std::string& name : std::vector<std::string>{id + ".3_5.pipe_pseudo_zem", id + ".3_5_2_1.pipe_pseudo_zem", std::string("x.3_5_2.pipe_pseudo_zem"),
                                    id + ".3_-1_2.pipe_pseudo_zem", "dir/" + id + ".3_5_2.pipe_pseudo_zem",
                                    id + ".4_0_0.pipe_pseudo_zem", id + ".3_8_0.pipe_pseudo_zem",
                                    std::string("999999.0_0_0.pipe_pseudo_zem")})
        EXPECT_EQ(readTile(name).status(), Status::ERROR_IN_READING_FILE) << name;

    osg::ref_ptr<ZEMPipePseudoLoader> loader = new ZEMPipePseudoLoader;
    EXPECT_EQ(loader->readNode(id + ".0_0_0.pipe_zem", nullptr).status(), Status::FILE_NOT_HANDLED);
    unsigned n, level, x, y;
    EXPECT_TRUE(ZEMPipePseudoLoader::parseTileName("12.3_5_2.pipe_pseudo_zem", n, level, x, y));
    EXPECT_EQ(n * 1000 + level * 100 + x * 10 + y, 12352u);
}
