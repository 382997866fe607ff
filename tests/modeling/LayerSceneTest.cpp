#include "tests/network/NetworkDatabase.h"

#include "geo/GeoExtent.h"
#include "layers/Kinds.h"
#include "modeling/CXColorVisitor.h"

#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

osg::Group* groupAt(osg::Node* node, unsigned child) {
    osg::Group* group = node ? node->asGroup() : nullptr;
    return group && child < group->getNumChildren() ? group->getChild(child)->asGroup() : nullptr;
}

// The GIDs of the segment nodes of a pipes group, or the names and GIDs of point nodes.
std::string contentOf(osg::Group* group) {
    std::string names;
    for (unsigned i = 0; group && i < group->getNumChildren(); ++i) {
        osg::Node* child = group->getChild(i);
        auto* segment = dynamic_cast<CPPipeLine*>(child->getUserData());
        auto* point = dynamic_cast<CPPoint*>(child->getUserData());
        names += (segment ? segment->gid : point ? child->getName() + "/" + point->gid : "?") + " ";
    }
    return names;
}

} // namespace

// The whole layer: pipes, then points (fittings under the colour shader, wells with it stopped),
// built once, its point nodes renamed with their GID. A tile: points, then its pipes in a
// wrapper, new every time, its point nodes as their category made them. The hot water
// layer here:
//
//   T1 (10, 150) ---L3--- T2 (150, 150)
//    |
//   L1
//    |
//   W1 (10, 10) ----L2--- W2 (150, 10)
TEST(LayerScene, TheWholeLayerIsBuiltOnceAndATileAnewEachWithPointsAndPipesUnderTheirShaders) {
    g_playerManager->setTerrain(std::make_shared<FlatTerrain>(10.0));
    NetworkDatabase db;
    db.createKindTables("RS");
    db.addPoint("RS", "W1", "W1", 10, 10, 1.0, "检修井");
    db.addPoint("RS", "W2", "W2", 150, 10, 1.0, "检修井");
    db.addPoint("RS", "T1", "T1", 10, 150, 1.0, "三通");
    db.addPoint("RS", "T2", "T2", 150, 150, 1.0, "三通");
    db.addLine("RS", "L1", "W1", "T1", 1.0, 1.0);
    db.addLine("RS", "L2", "W1", "W2", 1.0, 1.0);
    db.addLine("RS", "L3", "T1", "T2", 1.0, 1.0, "600X400");
    osg::ref_ptr<DBPipe> layer = new DBRSPipe;
    osg::ref_ptr<DBPoint> tees = new DBRSSTPoint;
    layer->addPoint(new DBRSJXJPoint);
    layer->addPoint(tees.get());
    layer->addPoint(new DBRSWTPoint);

    osg::Group* root = layer->buildAll();
    osg::ref_ptr<osg::Group> tile = layer->buildExtent(osgEarth::GeoExtent(nullptr, 0, 0, 100, 100));
    ASSERT_TRUE(root->getNumChildren() == 2u && tile->getNumChildren() == 2u);
    const struct {
        osg::Group *pipes, *points;
        const char *segments, *fittings, *wells;
    } graphs[] = {{groupAt(root, 0), groupAt(root, 1), "L1 L2 L3 ", "T1/T1 T2/T2 ", "W1/W1 W2/W2 "},
                  {groupAt(groupAt(tile, 1), 0), groupAt(tile, 0), "L1 L2 ", "", "/W1 "}};
    for (const auto& graph : graphs) {
        EXPECT_EQ(contentOf(graph.pipes), graph.segments);
        EXPECT_EQ(graph.pipes->getStateSet(), CXColorVisitor::sharedStateSet());
        osg::Group* plain = groupAt(graph.points, 0);
        ASSERT_TRUE(plain && plain->getNumChildren() == 2u && groupAt(graph.points, 1));
        EXPECT_EQ(plain->getStateSet(), CXColorVisitor::sharedStateSet());
        EXPECT_TRUE(groupAt(graph.points, 1)->getStateSet()->getAttribute(osg::StateAttribute::PROGRAM));
        EXPECT_EQ(contentOf(groupAt(plain, 0)), graph.fittings);
        EXPECT_EQ(contentOf(groupAt(groupAt(graph.points, 1), 0)), graph.wells);
    }
    EXPECT_EQ(layer->getPipesGroup(), groupAt(root, 0));
    // Fittings are given the colour of their pipes before they are built.
    EXPECT_EQ(tees->getColor(), osg::Vec4d(1.0, 170 / 255.0, 0.0, 1.0));

    db.addLine("RS", "L4", "W2", "T2", 1.0, 1.0);
    EXPECT_EQ(layer->buildAll(), root);
    EXPECT_EQ(contentOf(groupAt(root, 0)), "L1 L2 L3 ");
    EXPECT_NE(osg::ref_ptr<osg::Group>(layer->buildExtent(osgEarth::GeoExtent(nullptr, 0, 0, 100, 100))),
              tile);
}
