// The point-collecting tools driven through the host as a person drives them: real mouse
// events through the view's event queue over the paged sample network.
#include "HostScript.h"

#include "Torvik/CXCommandRegistry.h"
#include "Torvik/CXPlayerManager.h"
#include "Torvik/CXPluginLoader.h"

#include <dlfcn.h>
#include <iconv.h>

#include <cmath>
#include <cstdlib>
#include <regex>
#include <sstream>

namespace {

using Frame = HostScript;

std::vector<double> numbers(const std::string& payload) {
    std::vector<double> values;
    std::istringstream in(payload);
    for (std::string field; std::getline(in, field, ',');)
        values.push_back(std::atof(field.c_str()));
    return values;
}

// The rubber band of a dump: the one geode drawn in bin 11.
std::string outlineOf(const std::string& scene) {
    size_t bin = scene.find("BinNumber 11 ");
    if (bin == std::string::npos)
        return std::string();
    size_t start = scene.rfind("osg::Geode", bin);
    return scene.substr(start, scene.find("osg::Geode", bin) - start);
}

// The x of the `index`th vertex of an outline's point list.
double vertexX(const std::string& outline, int index) {
    std::istringstream in(outline.substr(outline.find("vector ")));
    std::string word;
    in >> word >> word >> word; // "vector" N "{"
    double x = 0, y = 0, z = 0;
    for (int i = 0; i <= index; ++i)
        in >> x >> y >> z;
    return x;
}

} // namespace

TEST_F(Frame, TunnelLineIsReportedAsXYPairsEachFollowedByACommaToTheMillimetre) {
    // The sample's map coordinates have seven digits before the point: six significant
    // digits would put the report metres away from where the user clicked.
    const double clicks[3][2] = {{-6.37, 4.61}, {3.29, 17.43}, {11.71, 26.83}};
    std::string out =
        run(u8"activate 创建隧道\nmouse left " + ground(clicks[0][0], clicks[0][1]) + "\nmouse move " +
            ground(clicks[1][0], clicks[1][1]) + "\nmouse left " + ground(clicks[1][0], clicks[1][1]) +
            "\nmouse move " + ground(clicks[2][0], clicks[2][1]) + "\nmouse right " +
            ground(clicks[2][0], clicks[2][1]) + "\n");
    std::vector<std::string> reports = callbacks(out, "SetUpTunnel");
    ASSERT_EQ(reports.size(), 1u) << out;
    const std::string& payload = reports[0];
    EXPECT_EQ(payload.back(), ',');
    EXPECT_EQ(payload.find('e'), std::string::npos) << payload;
    std::vector<double> values = numbers(payload);
    ASSERT_EQ(values.size(), 6u) << payload; // x, y only: no z
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(values[2 * i], centreX + clicks[i][0], 0.05) << payload;
        EXPECT_NEAR(values[2 * i + 1], centreY + clicks[i][1], 0.05) << payload;
    }
}

TEST_F(Frame, ClicksThatHitNothingDragsAndASingleLeftClickBehaveAsAPersonExpects) {
    // The eye 5 m above the ground looks level: the top of the 640x400 view is sky.
    std::ostringstream level;
    level.precision(12);
    level << "camera " << centreX << ' ' << centreY - 30 << ' ' << groundZ + 5 << ' ' << centreX << ' '
          << centreY + 20 << ' ' << groundZ + 5 << '\n';
    const std::string sky = "mouse left 320 2\n";
    struct Case {
        const char* what;
        std::string tool, callback, script;
        size_t points; // points in the one report, 0 for no report
        bool oneSpot;  // the report's two points are the one clicked
    } cases[] = {
        {"a right click after one left click still reports", u8"创建隧道", "SetUpTunnel",
         "mouse left " + ground(2.5, 9.5) + "\nmouse right " + ground(2.5, 9.5) + "\n", 2, true},
        {"a click on the sky starts nothing", u8"区域开挖", u8"区域开挖",
         sky + "mouse move " + ground(1.5, 8.5) + "\nmouse right " + ground(1.5, 8.5) + "\n", 0, false},
        {"a click on the sky adds no point", u8"沿线开挖", u8"沿线开挖",
         "mouse left " + ground(-3.5, 6.5) + "\nmouse move " + ground(4.5, 12.5) + "\n" + sky +
             "mouse right 320 2\n",
         2, false},
        {"a cross-section clicked and finished on one spot is a line of no length there", u8"横断面",
         "Transect", "mouse left " + ground(-1.5, 12.5) + "\nmouse right " + ground(-1.5, 12.5) + "\n", 2,
         true},
    };
    for (const Case& c : cases) {
        std::string out = run(level.str() + "activate " + c.tool + "\n" + c.script);
        std::vector<std::string> reports = callbacks(out, c.callback);
        if (c.points == 0) {
            EXPECT_TRUE(reports.empty()) << c.what << "\n" << out;
            continue;
        }
        ASSERT_EQ(reports.size(), 1u) << c.what << "\n" << out;
        std::vector<double> values = numbers(reports[0]);
        ASSERT_EQ(values.size(), 2 * c.points) << c.what << ": " << reports[0];
        if (c.oneSpot) {
            EXPECT_EQ(values[0], values[2]) << c.what << ": " << reports[0];
            EXPECT_EQ(values[1], values[3]) << c.what << ": " << reports[0];
        }
    }
}

TEST_F(Frame, RubberBandShowsThroughTheGroundIgnoresDragsAndGoesWithTheTool) {
    std::string band = dir + "/band.osgt", dragged = dir + "/dragged.osgt", after = dir + "/after.osgt";
    int status = -1;
    std::string out = run(u8"activate 创建隧道\nmouse left " + ground(-4.5, 7.5) + "\nmouse move " +
                              ground(5.5, 15.5) + "\ndump " + band + "\nmouse drag " + ground(9.5, 25.5) +
                              "\ndump " + dragged + "\ndeactivate\nframe\ndump " + after + "\n",
                          &status);
    ASSERT_EQ(status, 0) << out;
    std::string shown = outlineOf(read(band));
    ASSERT_FALSE(shown.empty()) << "no rubber band in the scene";
    EXPECT_NE(shown.find("GL_DEPTH_TEST OFF"), std::string::npos) << shown;
    EXPECT_NE(shown.find("DepthSortedBin"), std::string::npos) << shown;
    EXPECT_TRUE(std::regex_search(shown, std::regex("Mode LINE_STRIP\\s+Count 2\\b"))) << shown;
    // The drag's release adds its point to the list, but the band still spans the two
    // points of the last move.
    std::string afterDrag = outlineOf(read(dragged));
    EXPECT_TRUE(std::regex_search(afterDrag, std::regex("Mode LINE_STRIP\\s+Count 2\\b"))) << afterDrag;
    EXPECT_NEAR(vertexX(afterDrag, 1), centreX + 5.5, 0.05) << afterDrag;
    EXPECT_TRUE(outlineOf(read(after)).empty());
}

TEST_F(Frame, EachToolKeepsItsOwnPoints) {
    std::string out =
        run(u8"activate 创建隧道\nmouse left " + ground(-5.5, 5.5) + "\nmouse move " + ground(-2.5, 9.5) +
            u8"\nactivate 区域开挖\nmouse left " + ground(6.5, 11.5) + "\nmouse move " + ground(8.5, 19.5) +
            "\nmouse left " + ground(8.5, 19.5) + "\nmouse move " + ground(1.5, 21.5) + "\nmouse right " +
            ground(1.5, 21.5) + u8"\nactivate 创建隧道\n" + "mouse left " + ground(3.5, 14.5) +
            "\nmouse right " + ground(3.5, 14.5) + "\n");
    std::vector<std::string> region = callbacks(out, u8"区域开挖"), tunnel = callbacks(out, "SetUpTunnel");
    ASSERT_EQ(region.size(), 1u) << out;
    ASSERT_EQ(tunnel.size(), 1u) << out;
    std::vector<double> r = numbers(region[0]), t = numbers(tunnel[0]);
    ASSERT_EQ(r.size(), 6u);
    ASSERT_EQ(t.size(), 4u);
    EXPECT_NEAR(r[0], centreX + 6.5, 0.05);
    EXPECT_NEAR(t[0], centreX + 3.5, 0.05); // a fresh run, nothing of the first
}

// The host's command table as the plug-in leaves it, and how many commands the host
// held when the plug-in's control was registered (watched through the host's own call).
namespace {
size_t g_commandsAtControl = static_cast<size_t>(-1);
std::string gbk(const char* utf8) {
    iconv_t convert = iconv_open("GBK", "UTF-8");
    std::string in = utf8, out(in.size() * 2, '\0');
    char* from = &in[0];
    char* to = &out[0];
    size_t left = in.size(), room = out.size();
    iconv(convert, &from, &left, &to, &room);
    iconv_close(convert);
    out.resize(out.size() - room);
    return out;
}
} // namespace

void CXPlayerManager::RegisterCtrl(CXControl* ctrl) {
    g_commandsAtControl = CXCommandRegistry::instance().size();
    using Real = void (*)(CXPlayerManager*, CXControl*);
    auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "_ZN15CXPlayerManager12RegisterCtrlEP9CXControl"));
    ASSERT_NE(real, nullptr);
    real(this, ctrl);
}

TEST(ToolRegistrations, TheTwelveCommandsReachTheHostInGbkInOrderAfterTheControl) {
    size_t before = CXCommandRegistry::instance().size();
    CXPluginLoader plugin;
    ASSERT_TRUE(plugin.load(std::string(PN_BIN_DIR) + "/libpipenetwork.so")) << plugin.error();
    ASSERT_EQ(plugin.controls().size(), 1u);
    EXPECT_EQ(g_commandsAtControl, before);
    // Written here as UTF-8 (u8 literals are not converted) and turned into GBK by iconv.
    const char* expected[] = {u8"地表透明度", u8"创建隧道",     u8"测试开挖", u8"横断面",
                              u8"地下浏览",   u8"地上浏览",     u8"高亮显示", u8"沿线开挖",
                              u8"区域开挖",   u8"管线图层管理", u8"显示流向", u8"取消流向"};
    std::vector<std::string> names = CXCommandRegistry::instance().names();
    ASSERT_EQ(names.size(), before + 12);
    for (size_t i = 0; i < 12; ++i)
        EXPECT_EQ(names[before + i], gbk(expected[i])) << "command " << i + 1;
}
