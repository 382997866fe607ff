// The point-collecting tools driven through the host as a person drives them: real mouse
// events through the view's event queue over the paged sample network.
#include "HostScript.h"

#include "Torvik/CXCommandRegistry.h"
#include "Torvik/CXPlayerManager.h"
#include "Torvik/CXPluginLoader.h"

#include <dlfcn.h>
#include <iconv.h>

#include <regex>
#include <sstream>

namespace {

using Frame = HostScript;
const std::string tunnel = u8"activate 创建隧道\n";

// The rubber band of a dump: the one geode drawn in bin 11.
std::string outlineOf(const std::string& scene) {
    size_t bin = scene.find("BinNumber 11 ");
    if (bin == std::string::npos)
        return std::string();
    size_t start = scene.rfind("osg::Geode", bin);
    return scene.substr(start, scene.find("osg::Geode", bin) - start);
}

// The x of the second vertex of an outline's point list.
double secondX(const std::string& outline) {
    std::istringstream in(outline.substr(outline.find("vector ")));
    std::string skip;
    double x = 0;
    in >> skip >> skip >> skip >> x >> x >> x >> x;
    return x;
}

} // namespace

TEST_F(Frame, TunnelLineIsReportedAsXYPairsEachFollowedByACommaToTheMillimetre) {
    // The sample's map coordinates have seven digits before the point: six significant
    // digits would put the report metres away from where the user clicked.
    const double at[3][2] = {{-6.37, 4.61}, {3.29, 17.43}, {11.71, 26.83}};
    std::vector<std::string> reports =
        callbacks(run(tunnel + mouse("left", at[0][0], at[0][1]) + mouse("move", at[1][0], at[1][1]) +
                      mouse("left", at[1][0], at[1][1]) + mouse("move", at[2][0], at[2][1]) +
                      mouse("right", at[2][0], at[2][1])),
                  "SetUpTunnel");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].back(), ',');
    std::vector<double> values = numbers(reports[0]);
    ASSERT_EQ(values.size(), 6u) << reports[0]; // x, y only: no z
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(values[2 * i], centreX + at[i][0], 0.05) << reports[0];
        EXPECT_NEAR(values[2 * i + 1], centreY + at[i][1], 0.05) << reports[0];
    }
}

TEST_F(Frame, ClicksThatHitNothingAndASingleLeftClickBehaveAsAPersonExpects) {
    // The eye 5 m above the ground looks level: the top of the 640x400 view is sky.
    std::ostringstream level;
    level.precision(12);
    level << "camera " << centreX << ' ' << centreY - 30 << ' ' << groundZ + 5 << ' ' << centreX << ' '
          << centreY + 20 << ' ' << groundZ + 5 << '\n';
    const std::string sky = "mouse left 320 2\nmouse right 320 2\n";
    struct Case {
        const char* what;
        std::string tool, callback, script;
        size_t numbers; // in the one report, 0 for no report
        bool oneSpot;   // the report's two points are the one clicked
    } cases[] = {
        {"a right click after one left click still reports", u8"创建隧道", "SetUpTunnel",
         mouse("left", 2.5, 9.5) + mouse("right", 2.5, 9.5), 4, true},
        {"a click on the sky starts nothing", u8"区域开挖", u8"区域开挖", sky + mouse("right", 1.5, 8.5), 0,
         false},
        {"a click on the sky adds no point", u8"沿线开挖", u8"沿线开挖",
         mouse("left", -3.5, 6.5) + mouse("move", 4.5, 12.5) + sky, 4, false},
        {"a cross-section finished where it began is a line of no length there", u8"横断面", "Transect",
         mouse("left", -1.5, 12.5) + mouse("right", -1.5, 12.5), 4, true},
    };
    for (const Case& c : cases) {
        std::vector<std::string> reports =
            callbacks(run(level.str() + "activate " + c.tool + "\n" + c.script), c.callback);
        ASSERT_EQ(reports.size(), c.numbers ? 1u : 0u) << c.what;
        if (!c.numbers)
            continue;
        std::vector<double> values = numbers(reports[0]);
        ASSERT_EQ(values.size(), c.numbers) << c.what << ": " << reports[0];
        EXPECT_EQ(c.oneSpot, values[0] == values[2] && values[1] == values[3])
            << c.what << ": " << reports[0];
    }
}

TEST_F(Frame, RubberBandShowsThroughTheGroundIgnoresDragsAndGoesWithTheTool) {
    std::string band = dir + "/band.osgt", dragged = dir + "/dragged.osgt", after = dir + "/after.osgt";
    int status = -1;
    run(tunnel + mouse("left", -4.5, 7.5) + mouse("move", 5.5, 15.5) + "dump " + band + "\n" +
            mouse("drag", 9.5, 25.5) + "dump " + dragged + "\ndeactivate\nframe\ndump " + after + "\n",
        &status);
    ASSERT_EQ(status, 0);
    std::string shown = outlineOf(read(band)), afterDrag = outlineOf(read(dragged));
    const std::regex twoPointStrip("Mode LINE_STRIP\\s+Count 2\\b");
    EXPECT_NE(shown.find("GL_DEPTH_TEST OFF"), std::string::npos) << shown;
    EXPECT_NE(shown.find("DepthSortedBin"), std::string::npos) << shown;
    EXPECT_TRUE(std::regex_search(shown, twoPointStrip)) << shown;
    // The drag's release adds its point to the list, but the band still ends where the
    // last move left it.
    EXPECT_TRUE(std::regex_search(afterDrag, twoPointStrip)) << afterDrag;
    EXPECT_NEAR(secondX(afterDrag), centreX + 5.5, 0.05) << afterDrag;
    EXPECT_TRUE(outlineOf(read(after)).empty());
}

TEST_F(Frame, EachToolKeepsItsOwnPoints) {
    std::string out =
        run(tunnel + mouse("left", -5.5, 5.5) + mouse("move", -2.5, 9.5) + u8"activate 区域开挖\n" +
            mouse("left", 6.5, 11.5) + mouse("move", 8.5, 19.5) + mouse("left", 8.5, 19.5) +
            mouse("right", 1.5, 21.5) + tunnel + mouse("left", 3.5, 14.5) + mouse("right", 3.5, 14.5));
    std::vector<std::string> region = callbacks(out, u8"区域开挖"), tunnels = callbacks(out, "SetUpTunnel");
    ASSERT_EQ(region.size(), 1u) << out;
    ASSERT_EQ(tunnels.size(), 1u) << out;
    EXPECT_EQ(numbers(region[0]).size(), 6u);
    EXPECT_NEAR(numbers(region[0])[0], centreX + 6.5, 0.05);
    EXPECT_EQ(numbers(tunnels[0]).size(), 4u); // a fresh run, nothing of the first
    EXPECT_NEAR(numbers(tunnels[0])[0], centreX + 3.5, 0.05);
}

// How many commands the host held when the plug-in registered its control, watched
// through the host's own call.
namespace {
size_t g_commandsAtControl = static_cast<size_t>(-1);
}
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
    // Written here as UTF-8 (u8 literals are not converted) and turned into GBK by iconv.
    std::string names = u8"地表透明度 创建隧道 测试开挖 横断面 地下浏览 地上浏览 高亮显示 沿线开挖 区域开挖 "
                        u8"管线图层管理 显示流向 取消流向 ";
    std::string expected(names.size(), '\0');
    char *from = &names[0], *to = &expected[0];
    size_t left = names.size(), room = expected.size();
    iconv_t convert = iconv_open("GBK", "UTF-8");
    ASSERT_EQ(iconv(convert, &from, &left, &to, &room), 0u);
    iconv_close(convert);
    expected.resize(expected.size() - room);
    std::string registered;
    std::vector<std::string> all = CXCommandRegistry::instance().names();
    for (size_t i = before; i < all.size(); ++i)
        registered += all[i] + " ";
    EXPECT_EQ(registered, expected);
}
