#include "app/DemTerrain.h"

#include <gdal_priv.h>

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A 3 x 2 north-up raster of 10 m cells whose corner is at (1000, 2020): heights
// 10 20 30 in the north row, 40 50 60 in the south row, with one no-data cell if asked.
std::string writeRaster(const QTemporaryDir& dir, bool withNoData) {
    std::string path = dir.filePath("dem.tif").toStdString();
    GDALAllRegister();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
    GDALDataset* dataset = driver->Create(path.c_str(), 3, 2, 1, GDT_Float32, nullptr);
    double transform[6] = {1000, 10, 0, 2020, 0, -10};
    dataset->SetGeoTransform(transform);
    float heights[6] = {10, 20, 30, 40, 50, withNoData ? -9999.0f : 60};
    GDALRasterBand* band = dataset->GetRasterBand(1);
    if (withNoData)
        band->SetNoDataValue(-9999);
    EXPECT_EQ(band->RasterIO(GF_Write, 0, 0, 3, 2, heights, 3, 2, GDT_Float32, 0, 0), CE_None);
    GDALClose(dataset);
    return path;
}

} // namespace

TEST(DemTerrain, SamplesBilinearlyBetweenCellCentres) {
    QTemporaryDir dir;
    std::string error;
    auto dem = DemTerrain::open(writeRaster(dir, false), -1.0, error);
    ASSERT_TRUE(dem) << error;
    EXPECT_DOUBLE_EQ(dem->heightAt(1005, 2015), 10.0); // centre of the north-west cell
    EXPECT_DOUBLE_EQ(dem->heightAt(1010, 2015), 15.0); // half way east
    EXPECT_DOUBLE_EQ(dem->heightAt(1010, 2010), 30.0); // between four cells
    EXPECT_DOUBLE_EQ(dem->heightAt(1001, 2019), 10.0); // clamped at the raster's edge
    EXPECT_DOUBLE_EQ(dem->heightAt(990, 2010), -1.0);  // outside: the fallback
}

TEST(DemTerrain, NoDataCellsAndUnreadableFilesFallBack) {
    QTemporaryDir dir;
    std::string error;
    auto dem = DemTerrain::open(writeRaster(dir, true), 7.0, error);
    ASSERT_TRUE(dem) << error;
    EXPECT_DOUBLE_EQ(dem->heightAt(1025, 2005), 7.0);
    EXPECT_DOUBLE_EQ(dem->heightAt(1005, 2015), 10.0);

    EXPECT_EQ(DemTerrain::open(dir.filePath("none.tif").toStdString(), 0, error), nullptr);
    EXPECT_FALSE(error.empty());
}
