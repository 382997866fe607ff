// What the tools look like over the sample network: pictures of one host run.
#include "Host.h"

#include "sample/SampleNetwork.h"

#include <osg/Image>
#include <osgDB/ReadFile>

#include <algorithm>
#include <map>

namespace {

using Hue = bool (*)(const osg::Vec4&);
// However lit and however tinted by the translucent ground. Cyan: the flow bands and the
// highlight. Blue: the water-supply pipes. Brown: the drainage pipes, warm with hardly any
// blue. A pipe: one channel well above the others, unlike the dull ground and pale sky.
bool cyan(const osg::Vec4& c) {
    return c.g() > 0.25f && c.b() > 0.25f && c.r() < 0.75f * c.g() && c.r() < 0.75f * c.b() &&
           c.g() < 1.35f * c.b() && c.b() < 1.35f * c.g();
}
bool blue(const osg::Vec4& c) {
    return c.b() > 0.3f && c.b() > 1.6f * c.r() && c.b() > 1.4f * c.g();
}
bool brown(const osg::Vec4& c) {
    return c.r() > 0.12f && c.r() > 0.9f * c.g() && c.g() > 1.4f * c.b();
}
// A well's red brick, unlike the orange pipes, which lack blue.
bool brick(const osg::Vec4& c) {
    return c.r() > 0.2f && c.r() > 1.6f * c.g() && c.r() > 1.6f * c.b() && c.b() > 0.06f;
}
bool pipe(const osg::Vec4& c) {
    return std::max({c.r(), c.g(), c.b()}) > std::max(0.25f, 1.8f * std::min({c.r(), c.g(), c.b()}));
}

// Pixels of hue `is` in `image` that were of hue `was` in `before`.
unsigned count(const osg::Image* image, Hue is, const osg::Image* before = nullptr, Hue was = nullptr) {
    unsigned n = 0;
    for (int y = 0; y < image->t(); ++y)
        for (int x = 0; x < image->s(); ++x)
            n += is(image->getColor(x, y)) && (!was || was(before->getColor(x, y)));
    return n;
}

} // namespace

using Pictures = Host;

TEST_F(Pictures, FlowBandsHighlightGroundOpacityAndWellsShowAsAPersonSeesThem) {
    // A water manhole, seen from beside it through bare ground.
    const SampleNetwork net = SampleNetwork::generate({1, 2000});
    const SamplePointRow* well = nullptr;
    for (const SampleKindRows& kind : net.kinds)
        for (const SamplePointRow& row : kind.points)
            well = !well && kind.code == "JS" && row.facility == "检修井" ? &row : well;
    ASSERT_TRUE(well);
    const std::string camera = "camera " + at(well->x + 1.2 - x(0), well->y - 1.2 - y(0), 1.6) + ' ' +
                               at(well->x - x(0), well->y - y(0), -0.6) + "\nwait-paging 120";
    const std::string steps[][2] = {{"start", ""},
                                    {"flow", u8"activate 显示流向"},
                                    {"highlight", u8"activate 取消流向\nmessage 高亮显示 HighLight:给水管线"},
                                    {"bare", u8"message 地表透明度 Opacity:0"},
                                    {"thirty", u8"message 地表透明度 Opacity:30"},
                                    {"opaque", u8"message 地表透明度 Opacity:100"},
                                    {"well", u8"message 地表透明度 Opacity:0\n" + camera}};
    std::string script;
    for (const auto& step : steps)
        script += step[1] + "\nframe 3\nscreenshot " + dir + "/" + step[0] + ".png\n";
    const std::string out = run(script);
    std::map<std::string, osg::ref_ptr<osg::Image>> shot;
    for (const auto& step : steps)
        ASSERT_TRUE(shot[step[0]] = osgDB::readRefImageFile(dir + "/" + step[0] + ".png")) << step[0] << out;
    const osg::Image *start = shot["start"], *flow = shot["flow"], *lit = shot["highlight"];

    // Cyan bands where the drainage pipes were, and the water-supply pipes keep their blue.
    unsigned bands = count(flow, cyan), water = count(start, blue);
    EXPECT_LT(count(start, cyan), 50u);
    EXPECT_GT(bands, 300u);
    EXPECT_GT(count(flow, cyan, start, brown), bands * 8 / 10);
    EXPECT_NEAR(count(flow, blue), water, water * 0.05);

    // The highlighted water-supply pipes turn cyan where they were blue.
    EXPECT_GT(water, 150u);
    EXPECT_LT(count(lit, blue), water / 5);
    EXPECT_GT(count(lit, cyan, start, blue), water / 2);
    EXPECT_GT(count(lit, cyan, start, blue), count(lit, cyan) * 8 / 10);

    // At 30 % the pipes show through the ground, tinted by it; at 100 it hides them.
    unsigned seen = 0, hidden = 0, tinted = 0;
    for (int y = 0; y < shot["thirty"]->t(); ++y)
        for (int x = 0; x < shot["thirty"]->s(); ++x)
            if (pipe(shot["thirty"]->getColor(x, y))) {
                ++seen;
                hidden += !pipe(shot["opaque"]->getColor(x, y));
                tinted += (shot["thirty"]->getColor(x, y) - shot["bare"]->getColor(x, y)).length() > 0.03f;
            }
    EXPECT_GT(seen, 300u);
    EXPECT_GT(hidden, seen * 9 / 10);
    EXPECT_GT(tinted, seen * 9 / 10);

    // The well in its textures: the red brick of its wall (its cast-iron lid is in the same
    // state), not the even grey the pipes' colour shader gave the white shaft.
    EXPECT_GT(count(shot["well"], brick), 2000u);
}
