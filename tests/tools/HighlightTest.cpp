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
#include <map>

namespace {

// The geometries under a node, by the name of the nearest named node above them.
class Geometries : public osg::NodeVisitor {
public:
    Geometries() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
    void apply(osg::Geometry& geometry) override {
        for (auto node = getNodePath().rbegin(); node != getNodePath().rend(); ++node)
            if (!(*node)->getName().empty()) {
                byName.emplace(std::string((*node)->getName()), &geometry);
                break;
            }
    }
    std::multimap<std::string, osg::Geometry*> byName;
};

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
    db.addPoint("JS", "A", "A", 10, 10, 1.0, "检修井");
    db.addPoint("JS", "B", "B", 60, 10, 1.0, "检修井");
    db.addPoint("JS", "C", "C", 60, 60, 1.0, "检修井");
    db.addLine("JS", "L1", "A", "B", 1.0, 1.0);
    db.addLine("JS", "L2", "B", "C", 1.0, 1.0);
    CXViewer viewer;
    CXPipeLineCtrl* control = CXPipeLineCtrl::getInstance();
    control->initialize();
    osg::ref_ptr<DBPipe> water = control->findPipeLayer("给水管线");
    ASSERT_TRUE(water.valid());
    osg::ref_ptr<osg::Group> tile = water->buildExtent(osgEarth::GeoExtent(nullptr, 0, 0, 100, 100));
    control->getNetworkRoot()->asGroup()->addChild(tile);

    osg::ref_ptr<osg::Group> group = new osg::Group;
    group->setName("P7");
    osg::ref_ptr<osg::Geometry> shaded = new osg::Geometry, bare = new osg::Geometry;
    osg::ref_ptr<osg::Vec3Array> corners = new osg::Vec3Array;
    osg::ref_ptr<osg::Vec4Array> perVertex = new osg::Vec4Array;
    for (int i = 0; i < 3; ++i) {
        corners->push_back(osg::Vec3(i == 1, i == 2, 0));
        perVertex->push_back(osg::Vec4(i == 0, i == 1, i == 2, 1));
    }
    shaded->setVertexArray(corners.get());
    shaded->setColorArray(perVertex.get(), osg::Array::BIND_PER_VERTEX);
    bare->setVertexArray(corners.get());
    osg::ref_ptr<osg::Geode> geode = new osg::Geode, bareGeode = new osg::Geode;
    geode->setName("P7");
    geode->addDrawable(shaded);
    bareGeode->setName("bare");
    bareGeode->addDrawable(bare);
    group->addChild(geode);
    group->addChild(bareGeode);
    control->getNetworkRoot()->asGroup()->addChild(group);

    // Both nodes named P7 are found, the outer one first.
    CXPipeHightLightVisitor search({"P7", "L1", "nowhere"});
    control->getNetworkRoot()->accept(search);
    ASSERT_EQ(search.getFound().size(), 3u);
    EXPECT_EQ(search.getFound()[0]->getName(), "L1");
    EXPECT_EQ(search.getFound()[1], group);
    EXPECT_EQ(search.getFound()[2], geode);

    osg::ref_ptr<CXHighLightHandler> tool = new CXHighLightHandler;
    tool->OnMessage("HighLight:P7,L1,nowhere,"); // an empty name matches nothing
    tool->OnMessage("Highlight:L2");             // not its verb
    Geometries shown;
    tile->accept(shown);
    ASSERT_EQ(shown.byName.count("L1"), 1u);
    ASSERT_EQ(shown.byName.count("L2"), 1u);
    EXPECT_TRUE(isOneCyan(shown.byName.find("L1")->second));
    EXPECT_FALSE(isOneCyan(shown.byName.find("L2")->second));
    EXPECT_TRUE(isOneCyan(shaded.get()));
    EXPECT_EQ(bare->getColorArray(), nullptr);

    // A later message adds to what is highlighted; the painter joined the view once.
    tool->OnMessage("HighLight:L2");
    EXPECT_TRUE(isOneCyan(shown.byName.find("L1")->second));
    EXPECT_TRUE(isOneCyan(shown.byName.find("L2")->second));
    const auto& handlers = viewer.getViewer()->getEventHandlers();
    EXPECT_EQ(std::count(handlers.begin(), handlers.end(), CXHighLightUtil::getInstance()), 1);
}

using HighLightPictures = SamplePictures;

// Highlighting by the layer's name (every water-supply pipe node carries it): the blue
// pipes turn cyan where they were.
TEST_F(HighLightPictures, AHighlightedPipeIsCyan) {
    pictureAround(u8"message 高亮显示 HighLight:给水管线"); // scripts are UTF-8
    ASSERT_TRUE(before.valid() && after.valid());
    Count highlighted = count(cyan, blue), water = count(blue, blue);
    EXPECT_GT(water.before, 150u);
    EXPECT_LT(water.after, water.before / 5);
    EXPECT_GT(highlighted.after, water.before / 2);
    EXPECT_GT(highlighted.afterWhereBefore, highlighted.after * 8 / 10)
        << highlighted.afterWhereBefore << " of " << highlighted.after;
}
