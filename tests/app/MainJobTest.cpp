// The main job as a user runs it: the sample network rendered headless to a picture.
#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Image>
#include <osg/NodeVisitor>
#include <osgDB/ReadFile>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

std::string run(const std::string& command, int& status) {
    std::string output;
    status = -1;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, n);
        status = pclose(pipe);
    }
    return output;
}

// Pixels whose colour reads as the given layer colour, however lit and however tinted by
// the translucent ground above the pipes.
struct Tally {
    unsigned blue = 0, red = 0, brown = 0, green = 0;
};

Tally tally(const osg::Image& image) {
    Tally t;
    for (int y = 0; y < image.t(); ++y)
        for (int x = 0; x < image.s(); ++x) {
            osg::Vec4 c = image.getColor(x, y);
            float r = c.r(), g = c.g(), b = c.b();
            if (b > 0.3f && b > 1.6f * r && b > 1.4f * g)
                ++t.blue; // water supply
            else if (r > 0.3f && r > 1.8f * g && r > 1.8f * b)
                ++t.red; // power and street lighting
            else if (r > 0.2f && r > 1.15f * g && g > 1.3f * b)
                ++t.brown; // drainage
            else if (g > 0.3f && g > 1.5f * r && g > 1.5f * b)
                ++t.green; // telecom cables
        }
    return t;
}

// Pixels of each distinct layer colour (brown, dark blue, blue, orange, purple, magenta,
// red, green): lit or not, such a pixel lies on its colour's ray from black. Brown and
// orange share a ray; orange is the bright end of it.
std::vector<unsigned> layerColours(const osg::Image& image) {
    const osg::Vec3 rays[] = {{115, 76, 0},   {0, 38, 115}, {0, 0, 255}, {205, 0, 197},
                              {255, 0, 197}, {255, 0, 0},  {0, 255, 0}};
    std::vector<unsigned> n(8);
    for (int y = 0; y < image.t(); ++y)
        for (int x = 0; x < image.s(); ++x) {
            osg::Vec4 c4 = image.getColor(x, y);
            osg::Vec3 c(c4.r(), c4.g(), c4.b());
            if (c.length() < 0.15f)
                continue;
            for (unsigned i = 0; i < 7; ++i) {
                osg::Vec3 ray = rays[i] / rays[i].length();
                if ((c / c.length()) * ray > 0.998f)
                    ++n[i == 0 ? (c.x() > 0.5f ? 7 : 0) : i];
            }
        }
    return n;
}

unsigned overviewLines(osg::Node& scene, const std::string& level) {
    struct Lines : osg::NodeVisitor {
        Lines(const std::string& prefix) : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN), prefix(prefix) {}
        void apply(osg::Transform& drawing) override {
            if (drawing.getName().rfind(prefix, 0) == 0)
                for (unsigned i = 0; i < drawing.getNumChildren(); ++i)
                    if (osg::Geode* geode = drawing.getChild(i)->asGeode())
                        for (unsigned d = 0; d < geode->getNumDrawables(); ++d)
                            for (auto& set : geode->getDrawable(d)->asGeometry()->getPrimitiveSetList())
                                count += set->getMode() == GL_LINES ? set->getNumIndices() / 2 : 0;
            traverse(drawing);
        }
        std::string prefix;
        unsigned count = 0;
    } lines("overview " + level + "_");
    scene.accept(lines);
    return lines.count;
}

} // namespace

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

TEST_F(MainJob, RendersTheSampleNetworkWithItsLayerColoursWherePipesAre) {
    int status = 0;
    std::string out = run(bin + "/pipeviewer --pipe-xml " + dir + "/pipe.xml --headless --screenshot " + dir +
                              "/network.png --size 800x500 2>&1",
                          status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_EQ(out.find(" 0 segments"), std::string::npos) << out;

    osg::ref_ptr<osg::Image> image = osgDB::readRefImageFile(dir + "/network.png");
    ASSERT_TRUE(image.valid());
    EXPECT_EQ(image->s(), 800);
    Tally t = tally(*image);
    // 150 pixels: a pipe seen from street level covers far more.
    for (unsigned pixels : {t.blue, t.red, t.brown, t.green})
        EXPECT_GT(pixels, 150u) << "blue " << t.blue << ", red " << t.red << ", brown " << t.brown
                                << ", green " << t.green;
}

TEST_F(MainJob, ADumpHoldsTheLoadedTilesAtFullPrecision) {
    int status = 0; // The sample's own view, read back from the pipe.xml it wrote.
    std::string xml = run("cat " + dir + "/pipe.xml", status);
    auto attribute = [&](const std::string& name) {
        size_t at = xml.find(name + "=\"") + name.size() + 2;
        return xml.substr(at, xml.find('"', at) - at);
    };
    std::string script = "load " + attribute("extent") + " " + attribute("baseZ") + " " + attribute("srs") +
                         "\nwait-paging 120\ndump " + dir + "/scene.osgt\nsummary\n";
    std::string out =
        run("cp " + dir + "/pipe.xml " + bin + "/pipe.xml && printf '" + script + "' | " + bin +
                "/pipeviewer --offscreen --size 640x400 --ground " + attribute("ground") + " --script - 2>&1",
            status);
    ASSERT_EQ(status, 0) << out;
    std::string scene = run("cat " + dir + "/scene.osgt", status);
    // Loaded tiles are written as ordinary level-of-detail nodes with their content...
    EXPECT_NE(scene.find("osg::LOD"), std::string::npos);
    EXPECT_NE(scene.find("osg::MatrixTransform"), std::string::npos);
    // ...and map coordinates keep their digits: six before the point and several after it
    // (six significant digits would round them to whole metres).
    EXPECT_TRUE(std::regex_search(scene, std::regex(" [0-9]{6,7}\\.[0-9]{2}")));
}

// A network 100 m across and one 20 km across, each seen from its home view through a
// ground made see-through: every layer colour in the picture and pipes in range of the eye,
// tubes for the small one and the overview's lines for the large one, where the coarsest
// drawings hold every segment once and every one of them is drawn.
TEST_F(MainJob, SmallAndLargeNetworksAreSeenWholeFromTheirHomeView) {
    for (const std::string size : {"100", "20000"}) {
        SCOPED_TRACE(size);
        const std::string net = dir + "/" + size;
        int status = 0;
        std::string made = run(bin + "/pn_make_sample --out " + net + " --segments 600 --size " + size, status);
        ASSERT_EQ(status, 0) << made;
        const unsigned segments = static_cast<unsigned>(std::stoul(made));
        std::smatch view;
        ASSERT_TRUE(std::regex_search(made, view, std::regex("srs (\\S+) extent (.*) baseZ (\\S+)")));
        std::ofstream(net + "/home.txt") << "load " << view[2] << " " << view[3] << " " << view[1]
                                         << "\nwait-paging 120\n"
                                         << u8"message 地表透明度 Opacity:0\nframe 2\nscreenshot " << net
                                         << "/home.png\ndump " << net << "/home.osgt\nsummary\n";
        std::string out = run(bin + "/pipeviewer --offscreen --size 800x500 --pipe-xml " + net +
                                  "/pipe.xml --ground " + std::string(view[3]) + " --script " + net + "/home.txt 2>&1",
                              status);
        ASSERT_EQ(status, 0) << out;
        std::smatch shown;
        ASSERT_TRUE(std::regex_search(out, shown, std::regex("(\\d+) pipes as tubes, (\\d+) as lines"))) << out;
        if (size == "100")
            EXPECT_GE(std::stoul(shown[1]), segments) << out;
        else
            EXPECT_EQ(std::stoul(shown[2]), segments) << out;

        osg::ref_ptr<osg::Image> image = osgDB::readRefImageFile(net + "/home.png");
        ASSERT_TRUE(image.valid());
        std::vector<unsigned> colours = layerColours(*image);
        for (unsigned i = 0; i < colours.size(); ++i)
            EXPECT_GT(colours[i], 10u) << "colour " << i;
        osg::ref_ptr<osg::Node> scene = osgDB::readRefNodeFile(net + "/home.osgt");
        ASSERT_TRUE(scene.valid());
        EXPECT_EQ(overviewLines(*scene, "1"), segments);
    }
}
