#pragma once

#include "Torvik/TorvikExport.h"

// Height of the ground at a map position (map units, metres). Implementations are
// immutable once handed to the host, so pager threads may ask them concurrently.
class TORVIK_EXPORT TerrainHeight {
public:
    virtual ~TerrainHeight();
    virtual double heightAt(double x, double y) const = 0;
};

// A horizontal plane: the host's terrain when no elevation model is given.
class TORVIK_EXPORT FlatTerrain : public TerrainHeight {
public:
    explicit FlatTerrain(double height = 0.0) : _height(height) {}
    double heightAt(double, double) const override { return _height; }
    double height() const { return _height; }

private:
    double _height;
};
