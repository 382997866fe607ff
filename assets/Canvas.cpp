#include "assets/Canvas.h"

#include <algorithm>
#include <cmath>

Canvas::Canvas(int width, int height, const osg::Vec3& fill)
    : w_(width), h_(height), data_(static_cast<size_t>(width) * height * 3) {
    for (size_t i = 0; i < data_.size(); i += 3) {
        data_[i] = fill.x();
        data_[i + 1] = fill.y();
        data_[i + 2] = fill.z();
    }
}

osg::Vec3 Canvas::get(int x, int y) const {
    x = std::clamp(x, 0, w_ - 1);
    y = std::clamp(y, 0, h_ - 1);
    const float* p = &data_[(static_cast<size_t>(y) * w_ + x) * 3];
    return osg::Vec3(p[0], p[1], p[2]);
}

void Canvas::set(int x, int y, const osg::Vec3& c) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_)
        return;
    float* p = &data_[(static_cast<size_t>(y) * w_ + x) * 3];
    p[0] = c.x();
    p[1] = c.y();
    p[2] = c.z();
}

void Canvas::blend(int x, int y, const osg::Vec3& c, float a) {
    if (a <= 0.f)
        return;
    set(x, y, get(x, y) * (1.f - std::min(a, 1.f)) + c * std::min(a, 1.f));
}

void Canvas::scale(int x, int y, float factor) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_)
        return;
    set(x, y, get(x, y) * factor);
}

namespace {
// Coverage of a pixel centre at distance d inside (positive) an edge, one pixel wide ramp.
float cover(float d) {
    return std::clamp(d + 0.5f, 0.f, 1.f);
}
} // namespace

void Canvas::disc(float cx, float cy, float r, const osg::Vec3& c) {
    ring(cx, cy, -1.f, r, c);
}

void Canvas::ring(float cx, float cy, float rInner, float rOuter, const osg::Vec3& c) {
    const int x0 = static_cast<int>(std::floor(cx - rOuter - 1)),
              x1 = static_cast<int>(std::ceil(cx + rOuter + 1));
    const int y0 = static_cast<int>(std::floor(cy - rOuter - 1)),
              y1 = static_cast<int>(std::ceil(cy + rOuter + 1));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
            blend(x, y, c, std::min(cover(rOuter - d), rInner < 0 ? 1.f : cover(d - rInner)));
        }
}

void Canvas::rect(float x0, float y0, float x1, float y1, const osg::Vec3& c) {
    for (int y = static_cast<int>(std::floor(y0)); y <= static_cast<int>(std::ceil(y1)); ++y)
        for (int x = static_cast<int>(std::floor(x0)); x <= static_cast<int>(std::ceil(x1)); ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            blend(
                x, y, c,
                std::min(std::min(cover(px - x0), cover(x1 - px)), std::min(cover(py - y0), cover(y1 - py))));
        }
}

void Canvas::raisedRect(float x0, float y0, float x1, float y1, const osg::Vec3& c, float relief) {
    rect(x0, y0, x1, y1, c);
    rect(x0, y1 - 1.5f, x1, y1, c * (1.f + relief));
    rect(x0, y0, x0 + 1.5f, y1, c * (1.f + relief));
    rect(x0, y0, x1, y0 + 1.5f, c * (1.f - relief));
    rect(x1 - 1.5f, y0, x1, y1, c * (1.f - relief));
}

void Canvas::grain(std::uint32_t seed, float cell, float amount) {
    // A whole number of cells across, so that the grain wraps around a shaft seamlessly.
    const int period = std::max(1, static_cast<int>(std::lround(w_ / cell)));
    const float perPixel = static_cast<float>(period) / w_;
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x)
            scale(x, y, 1.f + amount * fractalNoise(seed, x * perPixel, y * perPixel, period, 3));
}

osg::ref_ptr<osg::Image> Canvas::toImage() const {
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(w_, h_, 1, GL_RGB, GL_UNSIGNED_BYTE);
    unsigned char* out = image->data();
    for (size_t i = 0; i < data_.size(); ++i)
        out[i] = static_cast<unsigned char>(std::lround(std::clamp(data_[i], 0.f, 1.f) * 255.f));
    return image;
}

float hash01(std::uint32_t seed, int x, int y) {
    std::uint32_t h = seed * 0x9E3779B1u ^ static_cast<std::uint32_t>(x) * 0x85EBCA77u ^
                      static_cast<std::uint32_t>(y) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return (h & 0xFFFFFFu) / 16777216.f;
}

float valueNoise(std::uint32_t seed, float x, float y, int period) {
    const int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
    const float fx = x - xi, fy = y - yi;
    const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    auto at = [&](int i, int j) {
        const int pi = ((i % period) + period) % period;
        return hash01(seed, pi, j) * 2.f - 1.f;
    };
    const float a = at(xi, yi) + (at(xi + 1, yi) - at(xi, yi)) * sx;
    const float b = at(xi, yi + 1) + (at(xi + 1, yi + 1) - at(xi, yi + 1)) * sx;
    return a + (b - a) * sy;
}

float fractalNoise(std::uint32_t seed, float x, float y, int period, int octaves) {
    float sum = 0.f, amp = 0.5f, norm = 0.f;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * valueNoise(seed + o * 101u, x, y, period);
        norm += amp;
        x *= 2.f;
        y *= 2.f;
        period *= 2;
        amp *= 0.5f;
    }
    return sum / norm;
}
