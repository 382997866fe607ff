// The point-collecting tools driven through the host as a person drives them, and the
// plug-in's registration of its commands.
#include "Host.h"

#include "Torvik/CXCommandRegistry.h"
#include "Torvik/CXPlayerManager.h"
#include "Torvik/CXPluginLoader.h"

#include <dlfcn.h>
#include <iconv.h>

#include <regex>

namespace {

using Frame = Host;
const std::string tunnel = u8"activate 创建隧道\n", region = u8"区域开挖", trench = u8"沿线开挖";

// The rubber band of a dump: the one geode drawn in bin 11.
std::string outlineOf(const std::string& scene) {
    size_t bin = scene.find("BinNumber 11 "), start = scene.rfind("osg::Geode", bin);
    return bin == std::string::npos ? "" : scene.substr(start, scene.find("osg::Geode", bin) - start);
}

} // namespace

TEST_F(Frame, ToolsReportTheXYOfEachPickedPointAndIgnoreClicksOnNothing) {
    // With the eye 5 m above the ground looking level, the top of the view is sky.
    const std::string sky =
        "camera " + at(0, -30, 5) + ' ' + at(0, 20, 5) + "\nmouse left 320 2\nmouse right 320 2\n";
    const struct {
        std::string callback;
        std::vector<std::vector<double>> points; // of the one report, none for no report
        std::string script;
    } cases[] = {
        // A line of three points. Seven digits before the point: six significant digits would
        // be metres off.
        {"SetUpTunnel",
         {{-6.37, 4.61}, {3.29, 17.43}, {11.71, 26.83}},
         tunnel + mouse("left", -6.37, 4.61) + mouse("move", 3.29, 17.43) + mouse("left", 3.29, 17.43) +
             mouse("move", 11.71, 26.83) + mouse("right", 11.71, 26.83)},
        // A right click after one left click still reports.
        {"SetUpTunnel",
         {{2.5, 9.5}, {2.5, 9.5}},
         tunnel + mouse("left", 2.5, 9.5) + mouse("right", 2.5, 9.5)},
        // A click on the sky starts nothing.
        {region, {}, "activate " + region + "\n" + sky + mouse("right", 1.5, 8.5)},
        // A click on the sky adds no point.
        {trench,
         {{-3.5, 6.5}, {4.5, 12.5}},
         "activate " + trench + "\n" + mouse("left", -3.5, 6.5) + mouse("move", 4.5, 12.5) + sky},
        // Each tool keeps its own points.
        {region,
         {{6.5, 11.5}, {8.5, 19.5}, {1.5, 21.5}},
         tunnel + mouse("left", -5.5, 5.5) + mouse("move", -2.5, 9.5) + "activate " + region + "\n" +
             mouse("left", 6.5, 11.5) + mouse("move", 8.5, 19.5) + mouse("left", 8.5, 19.5) +
             mouse("right", 1.5, 21.5)},
        // World points, and pixels counted from the top left (of a street-level view).
        {"Transect",
         {{2.25, 11.75}},
         "camera " + at(0, -90, 60) + ' ' + at(0, 20, -2) + u8"\nactivate 横断面\n" +
             mouse("left", 2.25, 11.75) + "mouse move 320 399\nmouse right 320 399\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        std::string out = run(c.script);
        std::vector<std::string> reports = callbacks(out, c.callback);
        ASSERT_EQ(reports.size(), c.points.empty() ? 0u : 1u) << out;
        if (c.points.empty())
            continue;
        EXPECT_TRUE(std::regex_match(
            reports[0],
            std::regex(c.callback == "Transect" ? "[^,]+(,[^,]+){3}" : "(-?[0-9.]+,-?[0-9.]+,)+")))
            << reports[0];
        std::vector<double> values = numbers(reports[0]);
        ASSERT_EQ(values.size(), std::max<size_t>(4, 2 * c.points.size())) << reports[0];
        for (size_t i = 0; i < c.points.size(); ++i) {
            EXPECT_NEAR(values[2 * i], x(c.points[i][0]), 0.05) << reports[0];
            EXPECT_NEAR(values[2 * i + 1], y(c.points[i][1]), 0.05) << reports[0];
        }
        if (c.points.size() == 1) { // from 90 m south, the bottom middle pixel sees the ground near the eye
            EXPECT_NEAR(values[2], x(0), 5.0);
            EXPECT_TRUE(values[3] > y(-90) && values[3] < y(-10)) << reports[0];
        }
    }
}

TEST_F(Frame, TheRubberBandShowsThroughTheGroundIgnoresDragsAndGoesWithTheTool) {
    int status = -1;
    run(tunnel + mouse("left", -4.5, 7.5) + mouse("move", 5.5, 15.5) + "dump " + dir + "/band.osgt\n" +
            mouse("drag", 9.5, 25.5) + "dump " + dir + "/dragged.osgt\ndeactivate\nframe\ndump " + dir +
            "/after.osgt\n",
        &status);
    ASSERT_EQ(status, 0);
    // The drag's release adds its point to the list, but the band still ends where the
    // last move left it.
    for (const char* dump : {"/band.osgt", "/dragged.osgt"}) {
        std::string band = outlineOf(read(dir + dump));
        EXPECT_NE(band.find("GL_DEPTH_TEST OFF"), std::string::npos) << band;
        EXPECT_TRUE(std::regex_search(band, std::regex("Mode LINE_STRIP\\s+Count 2\\b"))) << band;
        std::smatch ends; // the x of both vertices, offsets from a placed origin
        ASSERT_TRUE(std::regex_search(band, ends,
                                      std::regex("vector \\d+\\s*\\{\\s*(\\S+)\\s+\\S+\\s+\\S+\\s+(\\S+)")));
        EXPECT_NEAR(std::stod(ends[2]) - std::stod(ends[1]), 10.0, 0.05) << band;
    }
    EXPECT_EQ(outlineOf(read(dir + "/after.osgt")), "");
}

// How many commands the host held when the plug-in registered its control.
static size_t g_commandsAtControl = ~size_t(0);
void CXPlayerManager::RegisterCtrl(CXControl* ctrl) {
    g_commandsAtControl = CXCommandRegistry::instance().size();
    using Real = void (*)(CXPlayerManager*, CXControl*);
    reinterpret_cast<Real>(dlsym(RTLD_NEXT, "_ZN15CXPlayerManager12RegisterCtrlEP9CXControl"))(this, ctrl);
}

TEST(ToolRegistrations, TheTwelveCommandsReachTheHostInGbkInOrderAfterTheControl) {
    size_t before = CXCommandRegistry::instance().size();
    CXPluginLoader plugin;
    ASSERT_TRUE(plugin.load(std::string(PN_BIN_DIR) + "/libpipenetwork.so")) << plugin.error();
    EXPECT_EQ(g_commandsAtControl, before);
    // Written here as UTF-8 and turned into GBK by iconv.
    std::string names = u8"地表透明度 创建隧道 测试开挖 横断面 地下浏览 地上浏览 高亮显示 沿线开挖 区域开挖 "
                        u8"管线图层管理 显示流向 取消流向 ";
    std::string expected(names.size(), '\0'), registered;
    char *from = &names[0], *to = &expected[0];
    size_t left = names.size(), room = expected.size();
    iconv_t convert = iconv_open("GBK", "UTF-8");
    ASSERT_EQ(iconv(convert, &from, &left, &to, &room), 0u);
    iconv_close(convert);
    expected.resize(expected.size() - room);
    std::vector<std::string> all = CXCommandRegistry::instance().names();
    for (size_t i = before; i < all.size(); ++i)
        registered += all[i] + " ";
    EXPECT_EQ(registered, expected);
}
