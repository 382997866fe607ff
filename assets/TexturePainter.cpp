#include "assets/TexturePainter.h"

#include "assets/Canvas.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace textures {
namespace {

const osg::Vec3 kIron(0.29f, 0.29f, 0.30f);
const osg::Vec3 kGap(0.05f, 0.05f, 0.05f);

// 5 by 7 capitals for the lid markings, top row first.
const std::map<char, const char*>& glyphs() {
    static const std::map<char, const char*> g = {
        {'D', "11110"
              "10001"
              "10001"
              "10001"
              "10001"
              "10001"
              "11110"},
        {'G', "01110"
              "10001"
              "10000"
              "10111"
              "10001"
              "10001"
              "01111"},
        {'J', "00111"
              "00010"
              "00010"
              "00010"
              "00010"
              "10010"
              "01100"},
        {'L', "10000"
              "10000"
              "10000"
              "10000"
              "10000"
              "10000"
              "11111"},
        {'Q', "01110"
              "10001"
              "10001"
              "10001"
              "10101"
              "10010"
              "01101"},
        {'R', "11110"
              "10001"
              "10001"
              "11110"
              "10100"
              "10010"
              "10001"},
        {'S', "01111"
              "10000"
              "10000"
              "01110"
              "00001"
              "00001"
              "11110"},
        {'T', "11111"
              "00100"
              "00100"
              "00100"
              "00100"
              "00100"
              "00100"},
        {'V', "10001"
              "10001"
              "10001"
              "10001"
              "10001"
              "01010"
              "00100"},
        {'W', "10001"
              "10001"
              "10001"
              "10101"
              "10101"
              "10101"
              "01010"},
        {'X', "10001"
              "10001"
              "01010"
              "00100"
              "01010"
              "10001"
              "10001"},
        {'Y', "10001"
              "10001"
              "01010"
              "00100"
              "00100"
              "00100"
              "00100"},
    };
    return g;
}

// Cast letters centred on (cx, cy), each dot a raised square of `dot` pixels.
void marking(Canvas& c, const std::string& text, float cx, float cy, float dot, const osg::Vec3& colour) {
    const float width = (text.size() * 6.f - 1.f) * dot;
    float x0 = cx - width / 2.f;
    const float top = cy + 3.5f * dot;
    for (char ch : text) {
        auto it = glyphs().find(ch);
        if (it != glyphs().end())
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (it->second[row * 5 + col] == '1') {
                        const float x = x0 + col * dot, y = top - (row + 1) * dot;
                        c.raisedRect(x, y, x + dot, y + dot, colour, 0.35f);
                    }
        x0 += 6.f * dot;
    }
}

// Worn cast iron: darker in hollows, lighter where feet polish it, a faint rust bloom.
void weather(Canvas& c, std::uint32_t seed) {
    c.grain(seed, 24.f, 0.12f);
    c.grain(seed + 7, 2.f, 0.08f);
    const osg::Vec3 rust(0.40f, 0.24f, 0.14f);
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            const float n = fractalNoise(seed + 31, x / 40.f, y / 40.f, 64, 3);
            c.blend(x, y, rust, std::max(0.f, n - 0.15f) * 0.8f);
        }
}

void studs(Canvas& c, float cx, float cy, float rIn, float rOut, bool checkered) {
    const float pitch = 12.f;
    for (float y = cy - rOut; y <= cy + rOut; y += pitch)
        for (float x = cx - rOut; x <= cx + rOut; x += pitch) {
            const float d = std::hypot(x + pitch / 2 - cx, y + pitch / 2 - cy);
            if (d > rOut - pitch * 0.7f || d < rIn + pitch * 0.7f)
                continue;
            if (checkered) {
                c.raisedRect(x + 2, y + 2, x + pitch - 2, y + pitch - 2, kIron * 1.15f, 0.35f);
            } else {
                // Diamond relief: a raised rhombus in every cell.
                for (int k = 0; k < static_cast<int>(pitch / 2) - 1; ++k) {
                    const float x0 = x + pitch / 2 - k, x1 = x + pitch / 2 + k;
                    c.rect(x0, y + 1 + k, x1, y + 2 + k, kIron * 1.2f);
                    c.rect(x0, y + pitch - 2 - k, x1, y + pitch - 1 - k, kIron * 0.95f);
                }
            }
        }
}

void pickHole(Canvas& c, float x, float y) {
    c.rect(x - 7, y - 2.5f, x + 7, y + 2.5f, kGap);
    c.rect(x - 7, y + 2.5f, x + 7, y + 3.5f, kIron * 1.3f);
}

} // namespace

osg::ref_ptr<osg::Image> wall(Masonry masonry, std::uint32_t seed) {
    const int n = 256;
    if (masonry == Masonry::Concrete) {
        Canvas c(n, n, osg::Vec3(0.63f, 0.62f, 0.59f));
        c.grain(seed, 48.f, 0.10f);
        c.grain(seed + 1, 6.f, 0.06f);
        c.grain(seed + 2, 1.f, 0.07f);
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                // Formwork board joints every 64 px and water streaks running down the wall.
                if (y % 64 == 0)
                    c.scale(x, y, 0.86f);
                const float streak = valueNoise(seed + 3, x / 8.f, y / 90.f, n / 8);
                if (streak > 0.55f)
                    c.scale(x, y, 1.f - (streak - 0.55f) * 0.35f);
                if (hash01(seed + 4, x, y) < 0.0012f) // air pores
                    c.disc(x, y, 0.7f + 1.2f * hash01(seed + 5, x, y), osg::Vec3(0.38f, 0.38f, 0.37f));
            }
        return c.toImage();
    }
    const bool brick = masonry == Masonry::RedBrick;
    const osg::Vec3 mortar = brick ? osg::Vec3(0.70f, 0.68f, 0.63f) : osg::Vec3(0.48f, 0.47f, 0.45f);
    Canvas c(n, n, mortar);
    const int bw = brick ? 64 : 128, bh = brick ? 32 : 64, joint = brick ? 4 : 3;
    for (int row = 0; row < n / bh; ++row)
        for (int col = -1; col <= n / bw; ++col) {
            const float x0 = col * bw + (row % 2 ? bw / 2.f : 0.f), y0 = row * bh;
            const float v = hash01(seed, col, row);
            const osg::Vec3 face = brick ? osg::Vec3(0.58f + 0.12f * v, 0.26f + 0.06f * v, 0.18f + 0.04f * v)
                                         : osg::Vec3(0.64f, 0.63f, 0.60f) * (0.9f + 0.15f * v);
            c.rect(x0 + joint / 2.f, y0 + joint / 2.f, x0 + bw - joint / 2.f, y0 + bh - joint / 2.f, face);
        }
    c.grain(seed + 1, 10.f, 0.10f);
    c.grain(seed + 2, 1.f, 0.08f);
    return c.toImage();
}

osg::ref_ptr<osg::Image> roundLid(const LidLook& look) {
    const int n = 256;
    const float cx = n / 2.f, cy = n / 2.f;
    Canvas c(n, n, kIron * 0.8f);
    c.disc(cx, cy, 128.f, kIron * 0.85f);        // seating frame
    c.ring(cx, cy, 114.f, 118.f, kGap);          // gap between frame and lid
    c.disc(cx, cy, 114.f, kIron);                // the lid
    c.ring(cx, cy, 102.f, 108.f, kIron * 1.25f); // raised rim
    c.ring(cx, cy, 107.5f, 108.5f, kIron * 0.7f);
    studs(c, cx, cy, 46.f, 102.f, look.checkered);
    // Radial ribs carry the load from the rim to the centre boss.
    for (int k = 0; k < 8; ++k) {
        const float a = k * osg::PIf / 4.f;
        for (float r = 46.f; r < 102.f; r += 0.5f)
            c.disc(cx + r * std::cos(a), cy + r * std::sin(a), 2.5f, kIron * 1.2f);
    }
    if (look.painted)
        c.ring(cx, cy, 92.f, 100.f, look.accent);
    c.ring(cx, cy, 40.f, 46.f, kIron * 1.25f);
    c.disc(cx, cy, 40.f, kIron * 0.95f);
    marking(c, look.marking, cx, cy, 5.f, kIron * 1.45f);
    pickHole(c, cx - 78.f, cy);
    pickHole(c, cx + 78.f, cy);
    weather(c, look.seed);
    return c.toImage();
}

osg::ref_ptr<osg::Image> squareLid(const LidLook& look) {
    const int n = 256;
    Canvas c(n, n, kIron * 0.85f);
    c.rect(12, 12, n - 12, n - 12, kGap);
    c.raisedRect(16, 16, n - 16, n - 16, kIron, 0.3f);
    c.raisedRect(26, 26, n - 26, n - 26, kIron * 1.2f, 0.3f);
    c.rect(32, 32, n - 32, n - 32, kIron);
    for (float y = 36; y < n - 44; y += 12)
        for (float x = 36; x < n - 44; x += 12)
            if (look.checkered || (static_cast<int>(x + y) / 12) % 2 == 0)
                c.raisedRect(x + 2, y + 2, x + 10, y + 10, kIron * 1.15f, 0.35f);
    if (look.painted)
        c.rect(32, n / 2.f - 60, n - 32, n / 2.f - 52, look.accent);
    c.raisedRect(n / 2.f - 44, n / 2.f - 30, n / 2.f + 44, n / 2.f + 30, kIron * 1.1f, 0.3f);
    c.rect(n / 2.f - 40, n / 2.f - 26, n / 2.f + 40, n / 2.f + 26, kIron * 0.95f);
    marking(c, look.marking, n / 2.f, n / 2.f, 5.f, kIron * 1.45f);
    pickHole(c, 60, n - 50.f);
    pickHole(c, n - 60, 50.f);
    weather(c, look.seed);
    return c.toImage();
}

osg::ref_ptr<osg::Image> grate(std::uint32_t seed) {
    const int w = 128, h = 256;
    Canvas c(w, h, kIron * 0.85f);
    c.rect(4, 4, w - 4, h - 4, kGap);
    c.raisedRect(7, 7, w - 7, h - 7, kIron, 0.3f);
    // Transverse slots, split by a longitudinal rib, dark with the gutter below.
    for (float y = 18; y + 8 < h - 14; y += 16) {
        c.rect(16, y, w / 2.f - 5, y + 8, kGap);
        c.rect(w / 2.f + 5, y, w - 16, y + 8, kGap);
        c.rect(16, y + 8, w / 2.f - 5, y + 9.5f, kIron * 1.3f);
        c.rect(w / 2.f + 5, y + 8, w - 16, y + 9.5f, kIron * 1.3f);
    }
    weather(c, seed);
    return c.toImage();
}

osg::ref_ptr<osg::Image> pitSide(std::uint32_t seed) {
    const int n = 256;
    Canvas c(n, n, osg::Vec3(0.45f, 0.33f, 0.22f));
    // Strata from dark topsoil (top of the image) down to sandy clay; the bands undulate.
    const osg::Vec3 layers[] = {{0.62f, 0.50f, 0.33f},
                                {0.52f, 0.39f, 0.26f},
                                {0.58f, 0.45f, 0.30f},
                                {0.43f, 0.31f, 0.21f},
                                {0.30f, 0.22f, 0.15f}};
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float wave = 14.f * fractalNoise(seed, x / 64.f, 0.f, 4, 2);
            const float t = std::clamp((y + wave) / n, 0.f, 0.999f);
            c.set(x, y, layers[static_cast<int>(t * 5)]);
        }
    c.grain(seed + 1, 12.f, 0.12f);
    c.grain(seed + 2, 1.f, 0.10f);
    for (int k = 0; k < 60; ++k) {
        const float x = hash01(seed + 3, k, 0) * n, y = hash01(seed + 3, k, 1) * n * 0.8f;
        const float r = 1.5f + 3.f * hash01(seed + 3, k, 2);
        c.disc(x, y, r, osg::Vec3(0.55f, 0.53f, 0.50f) * (0.8f + 0.3f * hash01(seed + 3, k, 3)));
        c.disc(x - r * 0.3f, y + r * 0.3f, r * 0.4f, osg::Vec3(0.70f, 0.68f, 0.64f));
    }
    return c.toImage();
}

osg::ref_ptr<osg::Image> pitFloor(std::uint32_t seed) {
    const int n = 256;
    Canvas c(n, n, osg::Vec3(0.47f, 0.37f, 0.26f));
    c.grain(seed, 32.f, 0.15f);
    c.grain(seed + 1, 2.f, 0.10f);
    for (int k = 0; k < 500; ++k) {
        const float x = hash01(seed + 2, k, 0) * n, y = hash01(seed + 2, k, 1) * n;
        const float r = 1.f + 3.f * hash01(seed + 2, k, 2) * hash01(seed + 2, k, 3);
        const osg::Vec3 stone = osg::Vec3(0.60f, 0.58f, 0.54f) * (0.7f + 0.4f * hash01(seed + 2, k, 4));
        c.disc(x + 0.6f, y - 0.6f, r, stone * 0.5f);
        c.disc(x, y, r, stone);
    }
    return c.toImage();
}

} // namespace textures
