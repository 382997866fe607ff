// Highlighting named nodes of the network: what is found, what turns cyan, and how it
// looks.
#include "tests/network/NetworkDatabase.h"
#include "tests/tools/SamplePictures.h"

#include "geo/GeoExtent.h"
#include "layers/DBPipe.h"
#include "plugin/CXPipeLineCtrl.h"
#include "tools/CXHighLightHandler.h"
#include "tools/CXHighLightUtil.h"

#include "Selmor/CXViewer.h"

#include <osg/Geode>
#include <osg/Geometry>

#include <algorithm>

namespace {

bool isOneCyan(const osg::Geometry* geometry) {
    auto* colours = dynamic_cast<const osg::Vec4dArray*>(geometry->getColorArray());
    return colours && colours->size() == 1 && (*colours)[0] == osg::Vec4d(0, 1, 1, 1) &&
           colours->getBinding() == osg::Array::BIND_OVERALL;
}

} // namespace

// Under the network root: a water-supply tile with pipes L1 and L2, and a group P7 over
// a geode also named P7 (per-vertex colours) and a geode without colours.
TEST(HighLight, EveryNodeOfAWantedNameTurnsCyanNestedOnesIncludedAndStaysSo) {
    NetworkDatabase db;
    db.createKindTables("JS");
    for (const char* point : {"A", "B", "C"})
        db.addPoint("JS", point, point, point[0] == 'A' ? 10 : 60, point[0] == 'C' ? 60 : 10, 1.0, "检修井");
    db.addLine("JS", "L1", "A", "B", 1.0, 1.0);
    db.addLine("JS", "L2", "B", "C", 1.0, 1.0);
    CXViewer viewer;
    CXPipeLineCtrl* control = CXPipeLineCtrl::getInstance();
    control->initialize();
    osg::ref_ptr<DBPipe> water = control->findPipeLayer("给水管线");
    ASSERT_TRUE(water.valid());
    osg::ref_ptr<osg::Group> tile = water->buildExtent(osgEarth::GeoExtent(nullptr, 0, 0, 100, 100));
    osg::Group* root = control->getNetworkRoot()->asGroup();
    root->addChild(tile);
    // The body of a segment: tile, pipes wrapper, pipes, LOD, placement, geode.
    auto body = [&](const std::string& gid) -> osg::Geometry* {
        osg::Group* pipes = tile->getChild(1)->asGroup()->getChild(0)->asGroup();
        for (unsigned i = 0; i < pipes->getNumChildren(); ++i) {
            osg::Group* placed = pipes->getChild(i)->asGroup()->getChild(0)->asGroup();
            if (placed->getName() == gid)
                return placed->getChild(0)->asGeode()->getDrawable(0)->asGeometry();
        }
        return nullptr;
    };
    ASSERT_TRUE(body("L1") && body("L2"));

    osg::ref_ptr<osg::Group> group = new osg::Group;
    osg::ref_ptr<osg::Geode> geode = new osg::Geode, bareGeode = new osg::Geode;
    osg::ref_ptr<osg::Geometry> shaded = new osg::Geometry, bare = new osg::Geometry;
    osg::ref_ptr<osg::Vec4Array> perVertex = new osg::Vec4Array(3);
    shaded->setColorArray(perVertex.get(), osg::Array::BIND_PER_VERTEX);
    group->setName("P7");
    geode->setName("P7");
    geode->addDrawable(shaded);
    bareGeode->addDrawable(bare);
    group->addChild(geode);
    group->addChild(bareGeode);
    root->addChild(group);

    // Both nodes named P7 are found, the outer one first.
    CXPipeHightLightVisitor search({"P7", "L1", "nowhere"});
    root->accept(search);
    ASSERT_EQ(search.getFound().size(), 3u);
    EXPECT_EQ(search.getFound()[0]->getName(), "L1");
    EXPECT_EQ(search.getFound()[1], group);
    EXPECT_EQ(search.getFound()[2], geode);

    osg::ref_ptr<CXHighLightHandler> tool = new CXHighLightHandler;
    tool->OnMessage("HighLight:P7,L1,nowhere,"); // an empty name matches nothing
    tool->OnMessage("Highlight:L2");             // not its verb
    EXPECT_TRUE(isOneCyan(body("L1")));
    EXPECT_FALSE(isOneCyan(body("L2")));
    EXPECT_TRUE(isOneCyan(shaded.get()));
    EXPECT_EQ(bare->getColorArray(), nullptr);

    // A later message adds to what is highlighted; the painter joined the view once.
    tool->OnMessage("HighLight:L2");
    EXPECT_TRUE(isOneCyan(body("L1")) && isOneCyan(body("L2")));
    const auto& handlers = viewer.getViewer()->getEventHandlers();
    EXPECT_EQ(std::count(handlers.begin(), handlers.end(), CXHighLightUtil::getInstance()), 1);
}

using HighLightPictures = SamplePictures;

// Highlighting by the layer's name (every water-supply pipe node carries it): the blue
// pipes turn cyan where they were.
TEST_F(HighLightPictures, AHighlightedPipeIsCyan) {
    ASSERT_NO_FATAL_FAILURE(pictureAround(u8"message 高亮显示 HighLight:给水管线")); // scripts are UTF-8
    const unsigned water = count(*before, blue);
    EXPECT_GT(water, 150u);
    EXPECT_LT(count(*after, blue), water / 5);
    EXPECT_GT(count(*after, cyan, blue), water / 2);
    EXPECT_GT(count(*after, cyan, blue), count(*after, cyan) * 8 / 10);
}
