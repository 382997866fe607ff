// The main job as a user runs it: the sample network rendered headless to a picture.
#include "tests/app/ViewerRuns.h"

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Image>
#include <osg/Matrixd>
#include <osg/NodeVisitor>
#include <osg/io_utils>
#include <osgDB/ReadFile>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// Segments drawn as lines by the overview drawings of one level ("1": the root tile's).
unsigned overviewLines(osg::Node& scene, const std::string& level) {
    struct Lines : osg::NodeVisitor {
        Lines() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
        void apply(osg::Geometry& lines) override {
            const osg::NodePath& path = getNodePath(); // ... drawing, geode, geometry
            if (path.size() > 2 && path[path.size() - 3]->getName().rfind(prefix, 0) == 0)
                for (auto& set : lines.getPrimitiveSetList())
                    count += set->getMode() == GL_LINES ? set->getNumIndices() / 2 : 0;
        }
        std::string prefix;
        unsigned count = 0;
    } lines;
    lines.prefix = "overview " + level + "_";
    scene.accept(lines);
    return lines.count;
}

} // namespace

// What a run's summary says it loaded, without its times and memory.
static std::string loaded(const std::string& out) {
    std::string lines;
    size_t at = out.find("network: ");
    for (size_t end;
         at != std::string::npos && at < out.size() && (end = out.find('\n', at)) != std::string::npos;
         at = end + 1) {
        if (out.compare(at, 9, "network: ") && out.compare(at, 2, "  "))
            break;
        lines += out.substr(at, end + 1 - at);
    }
    return lines;
}

// A small sample network generated into a folder of its own.
class MainJob : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs a display (the suite runs under xvfb-run)";
        char pattern[] = "/tmp/mainjob-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        int status = 0;
        run(bin + "/pn_make_sample --out " + dir + " --segments 2000 2>&1", status);
        ASSERT_EQ(status, 0);
    }
    void TearDown() override {
        if (!dir.empty())
            std::system(("rm -rf '" + dir + "'").c_str());
    }

    const std::string bin = PN_BIN_DIR;
    std::string dir;
};

TEST_F(MainJob, ADumpHoldsTheLoadedTilesAtFullPrecisionAndWhatCannotBeReadFailsTheRun) {
    int status = 0; // The sample's own view, read back from the pipe.xml it wrote.
    std::string xml = run("cat " + dir + "/pipe.xml", status);
    auto attribute = [&](const std::string& name) {
        size_t at = xml.find(name + "=\"") + name.size() + 2;
        return xml.substr(at, xml.find('"', at) - at);
    };
    // Loaded again, the network replaces itself.
    std::string load = "load " + attribute("extent") + " " + attribute("baseZ") + " " + attribute("srs") +
                       "\nwait-paging 120\n";
    std::string script = load + "summary\n" + load + "dump " + dir + "/scene.osgt\nsummary\n";
    std::string out =
        run("printf '" + script + "' | " + bin + "/pipeviewer --offscreen --size 640x400 --pipe-xml " + dir +
                "/pipe.xml --script - 2>&1",
            status);
    ASSERT_EQ(status, 0) << out;
    size_t second = out.find("network: ", out.find("network: ") + 1);
    ASSERT_NE(second, std::string::npos) << out;
    EXPECT_EQ(
        out.substr(second, out.find('\n', second) - second),
        out.substr(out.find("network: "), out.find('\n', out.find("network: ")) - out.find("network: ")));

    // A database that holds no network is a failed run, with the reason.
    run("sed 's/str=\"[^\"]*\"/str=\"empty.sqlite\"/' " + dir + "/pipe.xml > " + dir + "/empty.xml && : > " +
            dir + "/empty.sqlite",
        status);
    std::string failed = run(bin + "/pipeviewer --pipe-xml " + dir + "/empty.xml --headless --screenshot " +
                                 dir + "/e.png 2>&1",
                             status);
    EXPECT_NE(status, 0) << failed;
    EXPECT_NE(failed.find("cannot read the network: TQMB_"), std::string::npos) << failed;
    // So is imagery or a map layer that cannot be read.
    failed = run(bin + "/pipeviewer --pipe-xml " + dir + "/pipe.xml --headless --imagery " + dir +
                     "/none.tif --ground-layer " + dir + "/none.shp 2>&1",
                 status);
    EXPECT_NE(status, 0) << failed;
    EXPECT_NE(failed.find("imagery: " + dir + "/none.tif"), std::string::npos) << failed;
    EXPECT_NE(failed.find("ground layer: "), std::string::npos) << failed;

    // Records attached to nodes are left out quietly: osgDB has no serializer for them.
    EXPECT_EQ(out.find("Warning"), std::string::npos) << out;
    EXPECT_EQ(out.find("wrapper"), std::string::npos) << out;
    std::string scene = run("cat " + dir + "/scene.osgt", status);
    // Loaded tiles are written as ordinary level-of-detail nodes with their content...
    EXPECT_NE(scene.find("osg::LOD"), std::string::npos);
    EXPECT_NE(scene.find("osg::MatrixTransform"), std::string::npos);
    // ...and map coordinates keep their digits: six before the point and several after it
    // (six significant digits would round them to whole metres).
    EXPECT_TRUE(std::regex_search(scene, std::regex(" [0-9]{6,7}\\.[0-9]{2}")));
}

// Two viewers at once, one of them in a locale that writes numbers with a decimal comma (Qt
// puts the process in the user's locale): each shows its own network, the one as it loads
// alone in the C locale, and neither leaves anything behind.
TEST_F(MainJob, ViewersAtOnceInAnyLocaleEachLoadTheirOwnNetwork) {
    int status = 0;
    std::string other = dir + "/other", locales = dir + "/locales";
    run(bin + "/pn_make_sample --out " + other + " --segments 600 --seed 7 2>&1", status);
    ASSERT_EQ(status, 0);
    std::string out =
        run("mkdir " + locales + " && localedef -i de_DE -f UTF-8 " + locales + "/de_DE.UTF-8 2>&1", status);
    ASSERT_EQ(status, 0) << out;
    struct stat before {
    }, after{};
    bool hadPipeXml = stat((bin + "/pipe.xml").c_str(), &before) == 0;

    auto viewer = [&](const std::string& net, const std::string& locale) {
        return "TMPDIR=" + dir + " LOCPATH=" + locales + " LC_ALL=" + locale + " " + bin +
               "/pipeviewer --pipe-xml " + net + "/pipe.xml --headless --screenshot " + net + "/" + locale +
               ".png --size 400x250 >" + net + "/" + locale + ".txt 2>&1";
    };
    run(viewer(dir, "C"), status);
    std::string alone = run("cat " + dir + "/C.txt", status);
    ASSERT_NE(loaded(alone).find(" segments"), std::string::npos) << alone;
    run("(" + viewer(dir, "de_DE.UTF-8") + ") & " + viewer(other, "C") + "; s=$?; wait $! || s=1; exit $s",
        status);
    EXPECT_EQ(status, 0);
    std::string comma = run("cat " + dir + "/de_DE.UTF-8.txt", status),
                second = run("cat " + other + "/C.txt", status);
    EXPECT_EQ(loaded(comma), loaded(alone)) << comma;
    EXPECT_NE(loaded(second), loaded(alone)) << second;
    EXPECT_EQ(loaded(second).find(" 0 segments"), std::string::npos) << second;

    // A run that fails still takes its working folder away; nothing was written beside the program.
    EXPECT_NE(run("TMPDIR=" + dir + " " + bin + "/pipeviewer --pipe-xml " + dir + "/none.xml 2>&1", status),
              "");
    EXPECT_NE(status, 0);
    EXPECT_EQ(run("ls " + dir + " | grep pipeviewer-", status), "");
    EXPECT_EQ(stat((bin + "/pipe.xml").c_str(), &after) == 0, hadPipeXml);
    if (hadPipeXml) {
        EXPECT_EQ(after.st_mtime, before.st_mtime);
    }

    // A relative database path is taken from the given pipe.xml's folder, and the copy keeps
    // the file's own encoding (GBK here: "管网.sqlite").
    std::string xml = run("cat " + dir + "/pipe.xml", status);
    xml = std::regex_replace(xml, std::regex("encoding=\"UTF-8\""), "encoding=\"GBK\"");
    std::ofstream(dir + "/gbk.xml") << std::regex_replace(xml, std::regex("str=\"[^\"]*\""),
                                                          "str=\"\xB9\xDC\xCD\xF8.sqlite\"");
    run("cp " + dir + "/network.sqlite " + dir + u8"/管网.sqlite", status);
    std::string relative = run(bin + "/pipeviewer --pipe-xml " + dir + "/gbk.xml --headless --screenshot " +
                                   dir + "/gbk.png --size 400x250 2>&1",
                               status);
    EXPECT_TRUE(loaded(relative).find(" segments") != std::string::npos &&
                loaded(relative).find(" 0 segments") == std::string::npos)
        << relative;
}

// The main job over a network 100 m across and one 20 km across: from the home view, pipes
// in range of the eye, tubes for the small one and the overview's lines for the large one,
// whose root tile draws every segment once (and without the overview, a reason for showing
// nothing); through a see-through ground, every layer colour in the picture.
TEST_F(MainJob, SmallAndLargeNetworksAreSeenWholeFromTheirHomeView) {
    for (const std::string size : {"100", "20000"}) {
        SCOPED_TRACE(size);
        const std::string net = dir + "/" + size,
                          viewer = bin + "/pipeviewer --size 800x500 --pipe-xml " + net;
        int status = 0;
        std::string made =
            run(bin + "/pn_make_sample --out " + net + " --segments 600 --size " + size, status);
        std::smatch view, shown;
        ASSERT_TRUE(status == 0 &&
                    std::regex_search(made, view, std::regex("srs (\\S+) extent (.*) baseZ (\\S+)")));
        const unsigned segments = static_cast<unsigned>(std::stoul(made));
        std::string out =
            run(viewer + "/pipe.xml --headless --screenshot " + net + "/shown.png 2>&1", status);
        ASSERT_TRUE(status == 0 &&
                    std::regex_search(out, shown, std::regex("(\\d+) pipes as tubes, (\\d+) as lines")));
        EXPECT_GE(std::stoul(shown[size == "100" ? 1 : 2]), segments) << out;
        if (size != "100") {
            EXPECT_NE(
                run(viewer + "/pipe.xml --headless --no-overview --screenshot " + net + "/bare.png 2>&1",
                    status)
                    .find("no pipe of the network is shown: no deepest tile"),
                std::string::npos);
        }

        std::ofstream(net + "/home.txt") << "load " << view[2] << ' ' << view[3] << ' ' << view[1]
                                         << u8"\nwait-paging 120\nmessage 地表透明度 Opacity:0\nscreenshot "
                                         << net << "/home.png\ndump " << net << "/home.osgt\n";
        out = run(viewer + "/pipe.xml --offscreen --ground " + view[3].str() + " --script " + net +
                      "/home.txt 2>&1",
                  status);
        ASSERT_EQ(status, 0) << out;
        for (unsigned pixels : layerColours(*osgDB::readRefImageFile(net + "/home.png")))
            EXPECT_GT(pixels, 100u);
        EXPECT_EQ(overviewLines(*osgDB::readRefNodeFile(net + "/home.osgt"), "1"), segments);
    }
}

// The sample with its orthophoto, seen from above a street crossing through the translucent
// ground: dark asphalt where the street runs and light pavement beside it (one plain colour
// with the imagery left out), and the pipes' own colours where they run beneath the asphalt.
TEST_F(MainJob, TheSampleShowsItsStreetsAboveItsPipes) {
    int status = 0;
    std::smatch north, east;
    const std::string roads = run("cat " + dir + "/roads.geojson", status);
    ASSERT_TRUE(
        std::regex_search(roads, north, std::regex("North Street 2\"[^\\[]*\\[ \\[ ([0-9.]+)")) &&
        std::regex_search(roads, east, std::regex("East Street 2\"[^\\[]*\\[ \\[ [0-9.]+, ([0-9.]+)")))
        << roads;
    const double x = std::stod(north[1]), y = std::stod(east[1]), z = 21.5;
    const osg::Vec3d eye(x, y - 5, z + 60), centre(x, y + 25, z);
    std::ostringstream camera;
    camera.precision(12);
    camera << eye.x() << ',' << eye.y() << ',' << eye.z() << ',' << centre.x() << ',' << centre.y() << ','
           << centre.z();
    run("sed '/<imagery/d' " + dir + "/pipe.xml > " + dir + "/plain.xml", status);
    std::map<std::string, osg::ref_ptr<osg::Image>> shots;
    for (const std::string name : {"pipe", "plain"}) {
        std::string out = run(bin + "/pipeviewer --size 640x400 --pipe-xml " + dir + "/" + name +
                                  ".xml --headless --camera " + camera.str() + " --screenshot " + dir + "/" +
                                  name + ".png 2>&1",
                              status);
        ASSERT_EQ(status, 0) << out;
        EXPECT_EQ(out.find("imagery"), std::string::npos) << out;
        shots[name] = osgDB::readRefImageFile(dir + "/" + name + ".png");
        ASSERT_TRUE(shots[name]);
    }
    // The colour seen at a ground point (45 degrees, 640 x 400 pixels).
    auto seen = [&](const std::string& shot, double dx, double dy) {
        osg::Vec4d clip = osg::Vec4d(x + dx, y + dy, z, 1) * osg::Matrixd::lookAt(eye, centre, {0, 0, 1}) *
                          osg::Matrixd::perspective(45.0, 1.6, 1.0, 1000.0);
        return shots[shot]->getColor(int((clip.x() / clip.w() + 1) * 320),
                                     int((clip.y() / clip.w() + 1) * 200));
    };
    auto grey = [](const osg::Vec4& c) { return (c.r() + c.g() + c.b()) / 3; };
    // North of the crossing, the street's water main (blue) runs 6 m west of its centre line, the
    // combined drain (brown) 4 m east; 3.5 m west the asphalt and 9.5 m west the pavement have
    // nothing beneath.
    const osg::Vec4 asphalt = seen("pipe", -3.5, 35), pavement = seen("pipe", -9.5, 35);
    const osg::Vec4 water = seen("pipe", -6, 35), drain = seen("pipe", 4, 35);
    EXPECT_GT(grey(pavement), grey(asphalt) + 0.1) << pavement << " / " << asphalt;
    EXPECT_NEAR(grey(seen("plain", -9.5, 35)), grey(seen("plain", -3.5, 35)), 0.03);
    EXPECT_GT(water.b(), std::max(water.r(), water.g()) + 0.1) << water;
    EXPECT_GT(drain.r(), drain.b() + 0.1) << drain;
}
