#include "tests/network/NetworkDatabase.h"

#include "layers/extentPipeVisitor.h"
#include "layers/Kinds.h"
#include "modeling/CXColorVisitor.h"

#include "Selmor/CXViewer.h"
#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"

#include <osg/MatrixTransform>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

// A category of the hot water kind drawn as a bare marker at each point, so the layer's
// assembly can be looked at on its own; it remembers the lid and chamber switches.
template <class Category> class Marker : public Category {
public:
    osg::Node* createNode(const CPPoint& point) override {
        osg::ref_ptr<osg::MatrixTransform> node =
            new osg::MatrixTransform(osg::Matrixd::translate(this->position(point)));
        node->setName("marker " + point.gid);
        return node.release();
    }
    void setLidVisible(bool visible) override {
        lid = visible;
        ++lidSwitches;
    }
    void setChamberVisible(bool visible) override { chamber = visible; }

    std::atomic<bool> lid{true};
    std::atomic<bool> chamber{true};
    std::atomic<int> lidSwitches{0};
};

// The hot water layer with its inspection wells (own look), tees and elbows (fittings):
//
//   T1 (10, 150) ---L3--- T2 (150, 150)
//    |
//   L1
//    |
//   W1 (10, 10) ----L2--- W2 (150, 10)
class LayerScene : public ::testing::Test {
protected:
    void SetUp() override {
        g_playerManager->setTerrain(std::make_shared<FlatTerrain>(10.0));
        db.createKindTables("RS");
        db.addPoint("RS", "W1", "W1", 10, 10, 1.0, "检修井");
        db.addPoint("RS", "W2", "W2", 150, 10, 1.0, "检修井");
        db.addPoint("RS", "T1", "T1", 10, 150, 1.0, "三通");
        db.addPoint("RS", "T2", "T2", 150, 150, 1.0, "三通");
        db.addLine("RS", "L1", "W1", "T1", 1.0, 1.0);
        db.addLine("RS", "L2", "W1", "W2", 1.0, 1.0);
        db.addLine("RS", "L3", "T1", "T2", 1.0, 1.0, "600X400");
        layer = new DBRSPipe;
        layer->addPoint(wells = new Marker<DBRSJXJPoint>);
        layer->addPoint(new Marker<DBRSSTPoint>);
        layer->addPoint(new Marker<DBRSWTPoint>);
    }

    NetworkDatabase db;
    osg::ref_ptr<DBPipe> layer;
    osg::ref_ptr<Marker<DBRSJXJPoint>> wells;
};

osg::Group* groupAt(osg::Node* node, unsigned child) {
    osg::Group* group = node ? node->asGroup() : nullptr;
    return group && child < group->getNumChildren() ? group->getChild(child)->asGroup() : nullptr;
}

// The GIDs of the segment nodes of a pipes group, or the names of point nodes.
std::string contentOf(osg::Group* group) {
    std::string names;
    for (unsigned i = 0; group && i < group->getNumChildren(); ++i) {
        osg::Node* child = group->getChild(i);
        auto* segment = dynamic_cast<CPPipeLine*>(child->getUserData());
        auto* point = dynamic_cast<CPPoint*>(child->getUserData());
        names += segment ? segment->gid : point ? child->getName() + "/" + point->gid : "?";
        names += " ";
    }
    return names;
}

osgEarth::GeoExtent extentOf(double xMin, double yMin, double xMax, double yMax) {
    return osgEarth::GeoExtent(nullptr, xMin, yMin, xMax, yMax);
}

} // namespace

TEST_F(LayerScene, BuildAllIsBuiltOnceWithThePipesFirstAndTheColourShaderOnPipesAndFittings) {
    osg::Group* root = layer->buildAll();
    ASSERT_TRUE(root);
    ASSERT_EQ(root->getNumChildren(), 2u);
    osg::Group* pipes = groupAt(root, 0);
    EXPECT_EQ(pipes, layer->getPipesGroup());
    EXPECT_EQ(contentOf(pipes), "L1 L2 L3 ");
    EXPECT_EQ(pipes->getStateSet(), CXColorVisitor::sharedStateSet());

    osg::Group* points = groupAt(root, 1);
    osg::Group* plain = groupAt(points, 0);
    osg::Group* ownLook = groupAt(points, 1);
    ASSERT_TRUE(plain && ownLook);
    EXPECT_EQ(plain->getStateSet(), CXColorVisitor::sharedStateSet());
    EXPECT_EQ(ownLook->getStateSet(), nullptr);
    // Whole-layer point nodes are renamed with their GID.
    ASSERT_EQ(plain->getNumChildren(), 2u);
    EXPECT_EQ(contentOf(groupAt(plain, 0)), "T1/T1 T2/T2 ");
    EXPECT_EQ(contentOf(groupAt(ownLook, 0)), "W1/W1 W2/W2 ");
    // Fittings take the colour of their pipes.
    EXPECT_EQ(wells->getColor(), osg::Vec4d(1.0, 170 / 255.0, 0.0, 1.0));

    db.addLine("RS", "L4", "W2", "T2", 1.0, 1.0);
    EXPECT_EQ(layer->buildAll(), root);
    EXPECT_EQ(contentOf(pipes), "L1 L2 L3 ");
}

TEST_F(LayerScene, ATileHoldsThePointsThenThePipesOfItsExtentAndIsNewEveryTime) {
    osg::ref_ptr<osg::Group> tile = layer->buildExtent(extentOf(0, 0, 100, 100));
    ASSERT_EQ(tile->getNumChildren(), 2u);
    osg::Group* points = groupAt(tile, 0);
    osg::Group* plain = groupAt(points, 0);
    osg::Group* ownLook = groupAt(points, 1);
    ASSERT_TRUE(plain && ownLook);
    EXPECT_EQ(plain->getStateSet(), CXColorVisitor::sharedStateSet());
    EXPECT_EQ(ownLook->getStateSet(), nullptr);
    EXPECT_EQ(plain->getNumChildren(), 2u);
    EXPECT_EQ(contentOf(groupAt(plain, 0)), "");
    // A tile's point nodes keep the names their category gave them.
    EXPECT_EQ(contentOf(groupAt(ownLook, 0)), "marker W1/W1 ");

    osg::Group* wrapper = groupAt(tile, 1);
    osg::Group* pipes = groupAt(wrapper, 0);
    EXPECT_EQ(contentOf(pipes), "L1 L2 ");
    EXPECT_EQ(pipes->getStateSet(), CXColorVisitor::sharedStateSet());

    osg::ref_ptr<osg::Group> again = layer->buildExtent(extentOf(0, 0, 100, 100));
    EXPECT_NE(again, tile);
    EXPECT_NE(groupAt(again, 1), wrapper);
    std::lock_guard<std::mutex> lock(layer->extentListsMutex());
    ASSERT_EQ(layer->getExtentPipeGroups().size(), 2u);
    EXPECT_EQ(layer->getExtentPipeGroups().front().get(), wrapper);
    EXPECT_EQ(layer->getExtentPipeGroups().back().get(), groupAt(again, 1));
}

TEST_F(LayerScene, TheHostsStoredVisibilityReachesTilesBuiltLaterAndSwitchesOnlyLiveTiles) {
    CXViewer viewer;
    viewer.setPipeVisible("RS", false);
    viewer.setPipeLidVisible("RS", false);
    osg::ref_ptr<osg::Group> first = layer->buildExtent(extentOf(0, 0, 100, 100));
    EXPECT_EQ(first->getNodeMask(), 0u);
    EXPECT_FALSE(wells->lid);
    EXPECT_TRUE(wells->chamber);

    // The layer tool shows the kind again: every live tile, and the next ones.
    viewer.setPipeVisible("RS", true);
    viewer.setPipeLipVisible("RS", false);
    layer->setPipesVisible(true);
    EXPECT_EQ(first->getNodeMask(), ~0u);
    osg::ref_ptr<osg::Group> second = layer->buildExtent(extentOf(100, 100, 200, 200));
    EXPECT_EQ(second->getNodeMask(), ~0u);
    EXPECT_FALSE(wells->chamber);
    // The lids, shared with the tiles being drawn, were switched once: nothing changed since.
    EXPECT_FALSE(wells->lid);
    EXPECT_EQ(wells->lidSwitches, 1);
    viewer.setPipeLidVisible("RS", true);
    osg::ref_ptr<osg::Group> third = layer->buildExtent(extentOf(100, 0, 200, 100));
    EXPECT_TRUE(wells->lid);
    third = nullptr;

    // A tile the pager has dropped is forgotten; the others still switch. The graph of
    // the whole layer is not a tile.
    osg::Group* whole = layer->buildAll();
    osg::observer_ptr<osg::Group> dropped = first.get();
    first = nullptr;
    ASSERT_FALSE(dropped.valid());
    layer->setPipesVisible(false);
    EXPECT_EQ(second->getNodeMask(), 0u);
    EXPECT_EQ(whole->getNodeMask(), ~0u);
    EXPECT_EQ(layer->liveExtentPipeGroups().size(), 1u);
}

TEST_F(LayerScene, TilesBuiltOnSeveralThreadsAtOnceEachGetExactlyTheirContent) {
    std::vector<osgEarth::GeoExtent> tiles;
    std::vector<std::string> expected;
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            tiles.push_back(extentOf(column * 50.0, row * 50.0, column * 50.0 + 50.0, row * 50.0 + 50.0));
            extentPipeVisitor scan(tiles.back(), ExtentLookup::Scan);
            osg::ref_ptr<DBPipe> reference = new DBRSPipe;
            reference->accept(scan);
            std::string gids;
            for (const CPPipeLine& segment : scan.getResult())
                gids += segment.gid + " ";
            expected.push_back(gids);
        }

    std::vector<std::vector<osg::ref_ptr<osg::Group>>> built(4);
    std::vector<std::thread> pagers;
    for (auto& mine : built)
        pagers.emplace_back([&] {
            for (const osgEarth::GeoExtent& tile : tiles)
                mine.emplace_back(layer->buildExtent(tile));
        });
    for (std::thread& pager : pagers)
        pager.join();
    for (auto& mine : built)
        for (std::size_t i = 0; i < tiles.size(); ++i)
            EXPECT_EQ(contentOf(groupAt(groupAt(mine[i], 1), 0)), expected[i]) << "tile " << i;
    EXPECT_EQ(layer->liveExtentPipeGroups().size(), 4 * tiles.size());
}
