// The main job as a user runs it: the sample network rendered headless to a picture.
#include <osg/Image>
#include <osgDB/ReadFile>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <sys/stat.h>

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
        run("printf '" + script + "' | " + bin + "/pipeviewer --offscreen --size 640x400 --pipe-xml " + dir +
                "/pipe.xml --script - 2>&1",
            status);
    ASSERT_EQ(status, 0) << out;
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
}
