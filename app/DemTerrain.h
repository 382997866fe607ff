#pragma once

#include "Torvik/TerrainHeight.h"

#include <memory>
#include <string>
#include <vector>

// Terrain heights from an elevation raster (any format GDAL reads, in the map's
// coordinate system), sampled bilinearly. Outside the raster, or on its no-data cells,
// the height is the fallback.
class DemTerrain : public TerrainHeight {
public:
    // Null with a reason when the file cannot be read as an elevation raster.
    static std::shared_ptr<DemTerrain> open(const std::string& path, double fallback, std::string& error);

    double heightAt(double x, double y) const override;

private:
    DemTerrain() = default;
    double cell(long col, long row, bool& ok) const;

    std::vector<float> _heights;
    long _width = 0, _height = 0;
    double _origin[2] = {0, 0};
    double _pixel[2] = {1, -1};
    double _noData = 0;
    bool _hasNoData = false;
    double _fallback = 0;
};
