#include "paging/CZEMPipeGraph.h"
#include "paging/ZEMPipePseudoLoader.h"

#include <osg/PagedLOD>
#include <osgDB/ReadFile>
#include <osgDB/Registry>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

namespace {

using Status = osgDB::ReaderWriter::ReadResult;

osg::ref_ptr<osgDB::Options> graphOptions(const std::string& extent, const std::string& base = "10",
                                          const std::string& srs = "EPSG:32650") {
    osg::ref_ptr<osgDB::Options> options = new osgDB::Options;
    options->setPluginStringData("srs", srs);
    options->setPluginStringData("extent", extent);
    options->setPluginStringData("baseZ", base);
    return options;
}

osg::ref_ptr<CZEMPipeGraph> readGraph(const std::string& extent = "0 0 800 800", bool overview = false) {
    osg::ref_ptr<osgDB::Options> options = graphOptions(extent);
    if (overview)
        options->setPluginStringData("overview", "on");
    osg::ref_ptr<osg::Node> node = osgDB::readRefNodeFile("district.pipe_zem", options.get());
    return dynamic_cast<CZEMPipeGraph*>(node.get());
}

Status readTile(const std::string& name) {
    return osgDB::Registry::instance()->readNode(name, nullptr);
}

// The paged node's tile, its range and where it is (a projected map is its own world
// frame: the centre is where the tile is, at the graph's base height).
void expectPaged(osg::Node* node, const std::string& file, double size, float x, float y) {
    auto* paged = dynamic_cast<osg::PagedLOD*>(node);
    ASSERT_NE(paged, nullptr);
    EXPECT_EQ(paged->getFileName(0), file);
    EXPECT_FLOAT_EQ(paged->getMinRange(0), 0.0f);
    EXPECT_NEAR(paged->getMaxRange(0), size * std::sqrt(2.0), 1e-3) << file;
    EXPECT_NEAR(paged->getRadius(), size * std::sqrt(2.0), 1e-3) << file;
    EXPECT_LT((paged->getCenter() - osg::Vec3f(x, y, 10)).length(), 1e-3) << file;
}

} // namespace

TEST(PipeGraph, PagedNodesReachOneDiagonalFromTheirCentreAndChildrenComeInQuadtreeOrder) {
    osg::ref_ptr<CZEMPipeGraph> graph = readGraph();
    ASSERT_TRUE(graph.valid());
    const std::string id = std::to_string(graph->getId());
    ASSERT_EQ(graph->getNumChildren(), 1u);
    expectPaged(graph->getChild(0), id + ".0_0_0.pipe_pseudo_zem", 800, 400, 400);

    // Rows count from the north edge; level-3 tiles are 100 m across.
    osg::ref_ptr<osg::Group> group =
        dynamic_cast<osg::Group*>(graph->createNode(2, 1, 3, graph->getId()).get());
    ASSERT_TRUE(group.valid());
    ASSERT_EQ(group->getNumChildren(), 4u);
    expectPaged(group->getChild(0), id + ".3_2_6.pipe_pseudo_zem", 100, 250, 150);
    expectPaged(group->getChild(1), id + ".3_2_7.pipe_pseudo_zem", 100, 250, 50);
    expectPaged(group->getChild(2), id + ".3_3_6.pipe_pseudo_zem", 100, 350, 150);
    expectPaged(group->getChild(3), id + ".3_3_7.pipe_pseudo_zem", 100, 350, 50);
}

// With the overview the root is in range from anywhere, and every tile below it is drawn
// as lines from its diagonal outwards, the tile itself within it; a deepest tile wider than
// the pipes' range keeps its drawing at every distance.
TEST(PipeGraph, WithTheOverviewEachTileIsDrawnBeyondItsDiagonalAndWideDeepestTilesAlways) {
    for (double size : {800.0, 8000.0}) {
        osg::ref_ptr<CZEMPipeGraph> graph = readGraph("0 0 " + std::to_string(size) + " 1000", true);
        ASSERT_TRUE(graph.valid() && graph->hasOverview());
        auto* root = dynamic_cast<osg::PagedLOD*>(graph->getChild(0));
        ASSERT_TRUE(root && root->getNumChildren() == 0);
        EXPECT_EQ(root->getMaxRange(0), FLT_MAX);
        for (unsigned level : {0u, 2u}) {
            osg::ref_ptr<osg::Node> tile = graph->createNode(level, 0, 0, graph->getId());
            ASSERT_TRUE(tile.valid() && tile->asGroup()->getNumChildren() == 4u);
            auto* child = dynamic_cast<osg::PagedLOD*>(tile->asGroup()->getChild(3));
            ASSERT_TRUE(child && child->getNumChildren() == 1u && child->getNumFileNames() == 2u);
            const float diagonal = static_cast<float>(std::hypot(size, 1000.0) / (2 << level));
            EXPECT_EQ(child->getChild(0)->getName(), "overview " + std::to_string(level + 1) + "_1_1");
            EXPECT_EQ(child->getFileName(1), CZEMPipeGraph::tileName(graph->getId(), level + 1, 1, 1));
            EXPECT_NEAR(child->getMaxRange(1), diagonal, 1e-2);
            EXPECT_NEAR(child->getMinRange(0), level == 2 && diagonal > 1000 ? 0.0f : diagonal, 1e-2);
            EXPECT_EQ(child->getMaxRange(0), FLT_MAX);
        }
    }
}

TEST(PipeGraph, BadOptionsMakeNoGraphButAClearFailedRead) {
    for (auto options : {graphOptions("0 0 800"), graphOptions("0 0 800 800 5"), graphOptions("a b c d"),
                         graphOptions("0 0 0 800"), graphOptions("800 0 0 800"), graphOptions(""),
                         graphOptions("0 0 1e12 1e12"), graphOptions("-1e300 -1e300 1e300 1e300"),
                         graphOptions("0 0 800 800", ""), graphOptions("0 0 800 800", "ten"),
                         graphOptions("0 0 800 800", "10", ""),
                         graphOptions("0 0 800 800", "10", "EPSG:999999"), osg::ref_ptr<osgDB::Options>()}) {
        Status result = osgDB::Registry::instance()->readNode("bad.pipe_zem", options.get());
        EXPECT_EQ(result.status(), Status::ERROR_IN_READING_FILE);
        EXPECT_FALSE(result.message().empty());
    }
}

TEST(TileLoader, ReadsOnlyWholeTileNamesWithinTheDeepestLevelOfGraphsStillAlive) {
    osg::ref_ptr<CZEMPipeGraph> first = readGraph();
    osg::ref_ptr<CZEMPipeGraph> second = readGraph("1000 1000 1400 1800");
    ASSERT_TRUE(first.valid() && second.valid());
    EXPECT_EQ(second->getId(), first->getId() + 1);
    const std::string id = std::to_string(first->getId());
    for (const std::string& name : {id + ".3_5.pipe_pseudo_zem", id + ".3_5_2_1.pipe_pseudo_zem",
                                    std::string("x.3_5_2.pipe_pseudo_zem"), id + ".3_-1_2.pipe_pseudo_zem",
                                    "dir/" + id + ".3_5_2.pipe_pseudo_zem", id + ".4_0_0.pipe_pseudo_zem",
                                    id + ".3_8_0.pipe_pseudo_zem", id + ".1_2_0.pipe_pseudo_zem",
                                    std::string("999999.0_0_0.pipe_pseudo_zem")})
        EXPECT_EQ(readTile(name).status(), Status::ERROR_IN_READING_FILE) << name;
    unsigned n = 0, level = 0, x = 0, y = 0;
    EXPECT_TRUE(ZEMPipePseudoLoader::parseTileName("12.3_5_2.pipe_pseudo_zem", n, level, x, y));
    EXPECT_EQ((std::vector<unsigned>{n, level, x, y}), (std::vector<unsigned>{12, 3, 5, 2}));
    osg::ref_ptr<ZEMPipePseudoLoader> loader = new ZEMPipePseudoLoader;
    EXPECT_EQ(loader->readNode(id + ".0_0_0.pipe_zem", nullptr).status(), Status::FILE_NOT_HANDLED);

    const std::string deepest = id + ".3_7_7.pipe_pseudo_zem";
    const std::string secondTile = std::to_string(second->getId()) + ".1_1_0.pipe_pseudo_zem";
    Status tile = readTile(deepest);
    ASSERT_TRUE(tile.validNode()) << tile.message();
    EXPECT_EQ(tile.getNode()->asGroup()->getNumChildren(), 1u); // the network content of the tile
    EXPECT_TRUE(readTile(secondTile).validNode());
    first = nullptr;
    EXPECT_EQ(readTile(deepest).status(), Status::ERROR_IN_READING_FILE);
    EXPECT_TRUE(readTile(secondTile).validNode());
}
