#include "WellSite.h"

#include "layers/DBPoint.h"
#include "plugin/CXPipeLineCtrl.h"

#include <osg/Node>

#include <gtest/gtest.h>

// Every category registered with a look of its own (the wells and the equipment) draws a
// point with every texture and model its look names, read from the build tree as the
// host would read them from its bin/ folder.
TEST(LookFiles, EveryWellAndEquipmentCategoryFindsAllItsFilesInTheBuildTree) {
    WellSite& site = WellSite::instance();
    site.enter();
    site.reads().clear();
    CPPoint point;
    point.gid = "P";
    int categories = 0;
    for (const auto& [word, create] : CXPipeLineCtrl::getInstance()->pointCreators) {
        osg::ref_ptr<DBPoint> category;
        create(category);
        if (!category->hasOwnLook())
            continue;
        ++categories;
        const int before = site.reads().total();
        osg::ref_ptr<osg::Node> node = category->createNode(point);
        EXPECT_GE(site.reads().total() - before, 1) << word;
    }
    // 25 wells with a wall and a lid, two of them with a valve, and 16 equipment models.
    EXPECT_EQ(categories, 25 + 16);
    EXPECT_EQ(site.reads().total(), 25 * 2 + 2 + 16);
    EXPECT_EQ(site.reads().failures(), std::vector<std::string>());
    site.leave();
}
