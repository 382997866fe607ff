// The sample network copied to a database server and shown from there: the same tiles,
// the same records in each and the same colours as from its file.
#include "tests/app/ViewerRuns.h"
#include "tests/db/TestServer.h"

#include <osg/LOD>
#include <osg/MatrixTransform>
#include <osg/NodeVisitor>
#include <osgDB/ReadFile>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>

namespace {

// The named transforms (segments' and points' feature ids) under each loaded deepest tile
// of a dump, the tile known by its centre.
std::map<std::string, std::multiset<std::string>> idsPerTile(osg::Node& scene) {
    struct Ids : osg::NodeVisitor {
        Ids() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
        // The tiles' nodes are the only ones centred by hand: levels 0 to 3, the deepest
        // holding the network.
        void apply(osg::LOD& lod) override {
            if (lod.getCenterMode() != osg::LOD::USER_DEFINED_CENTER || ++level != 4) {
                traverse(lod);
                level -= lod.getCenterMode() == osg::LOD::USER_DEFINED_CENTER;
                return;
            }
            const osg::Vec3 c = lod.getCenter();
            tile = std::to_string(int(c.x())) + "," + std::to_string(int(c.y()));
            traverse(lod);
            tile.clear();
            --level;
        }
        void apply(osg::MatrixTransform& transform) override {
            if (!transform.getName().empty() && !tile.empty())
                tiles[tile].insert(transform.getName());
            traverse(transform);
        }
        int level = 0;
        std::string tile;
        std::map<std::string, std::multiset<std::string>> tiles;
    } ids;
    scene.accept(ids);
    return ids.tiles;
}

} // namespace

TEST(ServerJob, TheSampleOnAServerShowsTheSameTilesRecordsAndColoursAsFromItsFile) {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs a display (the suite runs under xvfb-run)";
    PN_NEED_POSTGRES();
    const std::string bin = PN_BIN_DIR;
    char pattern[] = "/tmp/serverjob-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    int status = 0;
    const std::string made = run(bin + "/pn_make_sample --out " + dir + " --segments 2000 2>&1", status);
    std::smatch view;
    ASSERT_TRUE(status == 0 &&
                std::regex_search(made, view, std::regex("srs (\\S+) extent (.*) baseZ (\\S+)")))
        << made;
    const std::string address = TestServer::address().text();
    const std::string imported =
        run(bin + "/pn_import " + dir + "/network.sqlite --to " + address + " 2>/dev/null", status);
    ASSERT_EQ(status, 0);
    EXPECT_NE(imported.find("<conn str=\"" + address + "\"/>"), std::string::npos) << imported;
    run("sed 's|str=\"[^\"]*network.sqlite\"|str=\"" + address + "\"|' " + dir + "/pipe.xml > " + dir +
            "/server.xml",
        status);

    std::map<std::string, std::map<std::string, std::multiset<std::string>>> tiles;
    std::map<std::string, std::vector<unsigned>> colours;
    for (const std::string name : {"pipe", "server"}) {
        std::ofstream(dir + "/" + name + ".txt")
            << "load " << view[2] << ' ' << view[3] << ' ' << view[1]
            << u8"\nwait-paging 120\nmessage 地表透明度 Opacity:0\nscreenshot " << dir << "/" << name
            << ".png\ndump " << dir << "/" << name << ".osgt\nsummary\n";
        const std::string out = run(bin + "/pipeviewer --size 640x400 --offscreen --pipe-xml " + dir + "/" +
                                        name + ".xml --script " + dir + "/" + name + ".txt 2>&1",
                                    status);
        ASSERT_EQ(status, 0) << out;
        EXPECT_NE(out.find(name == "pipe" ? "database reading: 15 kinds whole"
                                          : "database reading: 15 kinds tile by tile"),
                  std::string::npos)
            << out;
        tiles[name] = idsPerTile(*osgDB::readRefNodeFile(dir + "/" + name + ".osgt"));
        colours[name] = layerColours(*osgDB::readRefImageFile(dir + "/" + name + ".png"));
    }
    EXPECT_EQ(tiles["server"].size(), 64u);
    EXPECT_TRUE(tiles["server"] == tiles["pipe"]);
    // The same pipes drawn the same way: each layer colour within a few pixels.
    for (std::size_t i = 0; i < colours["pipe"].size(); ++i) {
        EXPECT_GT(colours["pipe"][i], 50u) << i;
        EXPECT_NEAR(colours["server"][i], colours["pipe"][i], 2 + colours["pipe"][i] / 100.0) << i;
    }
    std::system(("rm -rf '" + dir + "'").c_str());
}
