#pragma once

#include <osg/Image>
#include <osg/Vec3>
#include <osg/ref_ptr>

#include <cstdint>
#include <vector>

// An RGB picture painted pixel by pixel in floating point (0..1 per channel), with the
// few drawing operations the textures need: seeded noise, discs, rings, rectangles.
// Coordinates are in pixels, origin at the lower left as OpenGL reads the image.
class Canvas {
public:
    Canvas(int width, int height, const osg::Vec3& fill);

    int width() const { return w_; }
    int height() const { return h_; }

    osg::Vec3 get(int x, int y) const;
    void set(int x, int y, const osg::Vec3& c);
    // Mixes c into the pixel by weight a (0 leaves it, 1 replaces it).
    void blend(int x, int y, const osg::Vec3& c, float a);
    void scale(int x, int y, float factor);

    // Shapes with one pixel of soft edge so that round lids do not look jagged.
    void disc(float cx, float cy, float r, const osg::Vec3& c);
    void ring(float cx, float cy, float rInner, float rOuter, const osg::Vec3& c);
    void rect(float x0, float y0, float x1, float y1, const osg::Vec3& c);
    // Darkens the lower right of an edge and lightens the upper left, like cast relief in light.
    void raisedRect(float x0, float y0, float x1, float y1, const osg::Vec3& c, float relief);

    // Multiplies every pixel by 1 + amount * noise, noise of the given cell size in pixels.
    void grain(std::uint32_t seed, float cell, float amount);

    osg::ref_ptr<osg::Image> toImage() const;

private:
    int w_, h_;
    std::vector<float> data_;
};

// Smooth value noise in [-1, 1] over the plane, repeatable for a seed, tiling with the given period
// (in cells) so that textures wrap around a shaft without a seam.
float valueNoise(std::uint32_t seed, float x, float y, int period);
// Several octaves of valueNoise, roughly in [-1, 1].
float fractalNoise(std::uint32_t seed, float x, float y, int period, int octaves);
// A repeatable pseudo-random number in [0, 1) for integer coordinates.
float hash01(std::uint32_t seed, int x, int y);
