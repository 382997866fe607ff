#include "DemTerrain.h"

#include <gdal_priv.h>

#include <cmath>

std::shared_ptr<DemTerrain> DemTerrain::open(const std::string& path, double fallback, std::string& error) {
    GDALAllRegister();
    std::unique_ptr<GDALDataset> dataset(static_cast<GDALDataset*>(GDALOpen(path.c_str(), GA_ReadOnly)));
    if (!dataset || dataset->GetRasterCount() < 1) {
        error = "cannot read the elevation raster " + path;
        return nullptr;
    }
    double transform[6];
    if (dataset->GetGeoTransform(transform) != CE_None || transform[2] != 0.0 || transform[4] != 0.0 ||
        transform[1] == 0.0 || transform[5] == 0.0) {
        error = path + " has no north-up georeference";
        return nullptr;
    }
    std::shared_ptr<DemTerrain> dem(new DemTerrain);
    dem->_width = dataset->GetRasterXSize();
    dem->_height = dataset->GetRasterYSize();
    dem->_origin[0] = transform[0];
    dem->_origin[1] = transform[3];
    dem->_pixel[0] = transform[1];
    dem->_pixel[1] = transform[5];
    dem->_fallback = fallback;
    GDALRasterBand* band = dataset->GetRasterBand(1);
    int hasNoData = 0;
    dem->_noData = band->GetNoDataValue(&hasNoData);
    dem->_hasNoData = hasNoData != 0;
    dem->_heights.resize(static_cast<size_t>(dem->_width) * static_cast<size_t>(dem->_height));
    if (band->RasterIO(GF_Read, 0, 0, int(dem->_width), int(dem->_height), dem->_heights.data(),
                       int(dem->_width), int(dem->_height), GDT_Float32, 0, 0) != CE_None) {
        error = "cannot read the heights of " + path;
        return nullptr;
    }
    return dem;
}

double DemTerrain::cell(long col, long row, bool& ok) const {
    col = std::min(std::max(col, 0L), _width - 1);
    row = std::min(std::max(row, 0L), _height - 1);
    float value = _heights[static_cast<size_t>(row) * static_cast<size_t>(_width) + static_cast<size_t>(col)];
    if ((_hasNoData && value == static_cast<float>(_noData)) || std::isnan(value))
        ok = false;
    return value;
}

double DemTerrain::heightAt(double x, double y) const {
    // Cell centres sit half a pixel in from the raster's corner.
    double fx = (x - _origin[0]) / _pixel[0] - 0.5;
    double fy = (y - _origin[1]) / _pixel[1] - 0.5;
    if (fx < -0.5 || fy < -0.5 || fx > _width - 0.5 || fy > _height - 0.5)
        return _fallback;
    long col = static_cast<long>(std::floor(fx)), row = static_cast<long>(std::floor(fy));
    double tx = fx - col, ty = fy - row;
    bool ok = true;
    double h00 = cell(col, row, ok), h10 = cell(col + 1, row, ok);
    double h01 = cell(col, row + 1, ok), h11 = cell(col + 1, row + 1, ok);
    if (!ok)
        return _fallback;
    return (h00 * (1 - tx) + h10 * tx) * (1 - ty) + (h01 * (1 - tx) + h11 * tx) * ty;
}
