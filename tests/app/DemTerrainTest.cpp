#include "app/DemTerrain.h"
#include "app/GroundImagery.h"
#include "app/GroundLayers.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>
#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Vec3ub>
#include <osg/Vec4ub>
#include <osgText/Text>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>

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

namespace {

// A north-up RGB GeoTIFF in `srs` whose pixel (col, row) is colour(col, row); no-data 0.
template <class Colour>
std::string writeRgb(const std::string& path, int width, int height, const double transform[6], int epsg,
                     Colour colour) {
    GDALDataset* dataset = GetGDALDriverManager()->GetDriverByName("GTiff")->Create(
        path.c_str(), width, height, 3, GDT_Byte, nullptr);
    OGRSpatialReference srs;
    srs.importFromEPSG(epsg);
    dataset->SetSpatialRef(&srs);
    dataset->SetGeoTransform(const_cast<double*>(transform));
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col) {
            osg::Vec3ub c = colour(col, row);
            std::copy(c.ptr(), c.ptr() + 3, &pixels[(static_cast<size_t>(row) * width + col) * 3]);
        }
    for (int b = 1; b <= 3; ++b)
        dataset->GetRasterBand(b)->SetNoDataValue(0);
    EXPECT_EQ(dataset->RasterIO(GF_Write, 0, 0, width, height, pixels.data(), width, height, GDT_Byte, 3,
                                nullptr, 3, 3 * width, 1),
              CE_None);
    GDALClose(dataset);
    return path;
}

// The picture's pixel at a map point.
const unsigned char* pixelAt(const GroundImagery& imagery, double x, double y) {
    const osg::Image& image = *imagery.image;
    int col = static_cast<int>((x - imagery.xmin) / (imagery.xmax - imagery.xmin) * image.s());
    int row = static_cast<int>((y - imagery.ymin) / (imagery.ymax - imagery.ymin) * image.t());
    return image.data(std::clamp(col, 0, image.s() - 1), std::clamp(row, 0, image.t() - 1));
}

} // namespace

// Imagery in longitude and latitude under a network in a projected system: its marked cell
// lands on the map point it marks; its no-data cells leave the ground uncovered. Files that
// cannot be shown are each named with the reason, and the others are shown all the same.
TEST(GroundImagery, GeographicImageryLandsOnItsMapPointAndBadFilesAreNamed) {
    QTemporaryDir dir;
    GDALAllRegister();
    OGRSpatialReference map, geographic;
    map.importFromEPSG(4547);
    geographic.importFromEPSG(4326);
    map.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    geographic.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> toLonLat(
        OGRCreateCoordinateTransformation(&map, &geographic));
    const double x = 530300, y = 3384300;
    double lon = x, lat = y;
    ASSERT_TRUE(toLonLat->Transform(1, &lon, &lat));
    // 200 x 200 cells of about a metre, white, the middle one red, the 20 west columns no-data.
    const double cell = 1e-5, transform[6] = {lon - 100.5 * cell, cell, 0, lat + 100.5 * cell, 0, -cell};
    const std::string ortho =
        writeRgb(dir.filePath("wgs84.tif").toStdString(), 200, 200, transform, 4326, [](int col, int row) {
            return col < 20                   ? osg::Vec3ub(0, 0, 0)
                   : col == 100 && row == 100 ? osg::Vec3ub(255, 1, 1)
                                              : osg::Vec3ub(255, 255, 255);
        });
    const double far[6] = {100000, 1, 0, 200000, 0, -1};
    const std::string outside = writeRgb(dir.filePath("far.tif").toStdString(), 4, 4, far, 4547,
                                         [](int, int) { return osg::Vec3ub(9, 9, 9); });
    std::ofstream(dir.filePath("text.tif").toStdString()) << "not a raster";
    GDALDataset* bare = GetGDALDriverManager()->GetDriverByName("GTiff")->Create(
        dir.filePath("bare.tif").toStdString().c_str(), 4, 4, 1, GDT_Byte, nullptr);
    GDALClose(bare);

    std::vector<std::string> problems;
    GroundImagery imagery =
        GroundImagery::read({dir.filePath("none.tif").toStdString(), dir.filePath("text.tif").toStdString(),
                             dir.filePath("bare.tif").toStdString(), outside, ortho},
                            "EPSG:4547", x - 150, y - 150, x + 150, y + 150, problems);
    ASSERT_TRUE(imagery.image);
    ASSERT_EQ(problems.size(), 4u);
    EXPECT_EQ(imagery.failed, 4u);
    EXPECT_NE(problems[0].find("none.tif is not a file"), std::string::npos) << problems[0];
    EXPECT_NE(problems[1].find("text.tif is not a raster GDAL reads"), std::string::npos) << problems[1];
    EXPECT_NE(problems[2].find("bare.tif has no georeference"), std::string::npos) << problems[2];
    EXPECT_NE(problems[3].find("far.tif lies outside"), std::string::npos) << problems[3];

    const osg::Image& image = *imagery.image;
    double sum = 0, sumX = 0, sumY = 0;
    for (int row = 0; row < image.t(); ++row)
        for (int col = 0; col < image.s(); ++col) {
            const unsigned char* p = image.data(col, row);
            double red = p[3] == 255 ? p[0] - (p[1] + p[2]) / 2.0 : 0.0;
            sum += red;
            sumX += red * (imagery.xmin + (col + 0.5) * (imagery.xmax - imagery.xmin) / image.s());
            sumY += red * (imagery.ymin + (row + 0.5) * (imagery.ymax - imagery.ymin) / image.t());
        }
    ASSERT_GT(sum, 0.0);
    EXPECT_NEAR(sumX / sum, x, 1.0);
    EXPECT_NEAR(sumY / sum, y, 1.0);
    EXPECT_EQ(pixelAt(imagery, x - 88, y)[3], 0);   // no-data
    EXPECT_EQ(pixelAt(imagery, x - 50, y)[3], 255); // white
    EXPECT_EQ(pixelAt(imagery, x - 50, y)[1], 255);
}

// A 40,000 pixel square orthophoto (4.8 GB of pixels) is read through its overviews at the
// size asked for, never whole: its full-resolution tiles are all black, its overviews green.
TEST(GroundImagery, ALargeRasterIsReadThroughItsOverviews) {
    QTemporaryDir dir;
    GDALAllRegister();
    const std::string path = dir.filePath("large.tif").toStdString();
    const int side = 40000;
    const char* options[] = {"TILED=YES", "SPARSE_OK=TRUE", "BIGTIFF=YES", nullptr};
    GDALDataset* dataset = GetGDALDriverManager()->GetDriverByName("GTiff")->Create(
        path.c_str(), side, side, 3, GDT_Byte, const_cast<char**>(options));
    OGRSpatialReference srs;
    srs.importFromEPSG(4547);
    dataset->SetSpatialRef(&srs);
    double transform[6] = {520000, 0.5, 0, 3400000, 0, -0.5};
    dataset->SetGeoTransform(transform);
    int factors[] = {16, 32, 64};
    ASSERT_EQ(dataset->BuildOverviews("NONE", 3, factors, 0, nullptr, nullptr, nullptr), CE_None);
    for (int b = 1; b <= 3; ++b)
        for (int level = 0; level < 3; ++level) {
            GDALRasterBand* overview = dataset->GetRasterBand(b)->GetOverview(level);
            std::vector<unsigned char> value(static_cast<size_t>(overview->GetXSize()) * overview->GetYSize(),
                                             b == 2 ? 160 : 40);
            ASSERT_EQ(overview->RasterIO(GF_Write, 0, 0, overview->GetXSize(), overview->GetYSize(),
                                         value.data(), overview->GetXSize(), overview->GetYSize(), GDT_Byte,
                                         0, 0),
                      CE_None);
        }
    GDALClose(dataset);

    std::vector<std::string> problems;
    GroundImagery imagery =
        GroundImagery::read({path}, "EPSG:4547", 520000, 3380000, 540000, 3400000, problems, 1024);
    ASSERT_TRUE(imagery.image) << (problems.empty() ? "" : problems[0]);
    EXPECT_TRUE(problems.empty());
    EXPECT_LE(std::max(imagery.image->s(), imagery.image->t()), 1024);
    const unsigned char* middle = pixelAt(imagery, 530000, 3390000);
    EXPECT_EQ(osg::Vec4ub(middle[0], middle[1], middle[2], middle[3]), osg::Vec4ub(40, 160, 40, 255));
}

// Map layers from a Shapefile (a kerb line in the map's system) and a GeoPackage (a parcel
// with a courtyard, in longitude and latitude) lie on a sloping terrain, a little above it,
// between their vertices too.
TEST(GroundLayers, ShapefileAndGeoPackageFeaturesFollowTheTerrain) {
    QTemporaryDir dir;
    GDALAllRegister();
    // Heights rising 1 m per metre eastward over 530000..530100, 3384000..3384100.
    const std::string demPath = dir.filePath("slope.tif").toStdString();
    GDALDataset* dem = GetGDALDriverManager()->GetDriverByName("GTiff")->Create(demPath.c_str(), 101, 1, 1,
                                                                                GDT_Float32, nullptr);
    double transform[6] = {529999.5, 1, 0, 3384200, 0, -200};
    dem->SetGeoTransform(transform);
    std::vector<float> heights(101);
    for (int i = 0; i < 101; ++i)
        heights[i] = static_cast<float>(i);
    ASSERT_EQ(
        dem->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, 101, 1, heights.data(), 101, 1, GDT_Float32, 0, 0),
        CE_None);
    GDALClose(dem);
    std::string error;
    auto terrain = DemTerrain::open(demPath, 0, error);
    ASSERT_TRUE(terrain) << error;

    OGRSpatialReference map, geographic;
    map.importFromEPSG(4547);
    geographic.importFromEPSG(4326);
    map.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    geographic.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    auto write = [&](const char* driver, const char* name, OGRSpatialReference& srs, const char* wkt) {
        const std::string path = dir.filePath(name).toStdString();
        GDALDataset* file = GetGDALDriverManager()->GetDriverByName(driver)->Create(path.c_str(), 0, 0, 0,
                                                                                    GDT_Unknown, nullptr);
        OGRLayer* layer = file->CreateLayer("features", &srs, wkbUnknown, nullptr);
        OGRFieldDefn field("name", OFTString);
        layer->CreateField(&field);
        OGRGeometry* geometry = nullptr;
        OGRGeometryFactory::createFromWkt(wkt, &srs, &geometry);
        OGRFeature feature(layer->GetLayerDefn());
        feature.SetField("name", "Jiefang Road");
        feature.SetGeometryDirectly(geometry);
        EXPECT_EQ(layer->CreateFeature(&feature), OGRERR_NONE);
        GDALClose(file);
        return path;
    };
    const std::string kerb =
        write("ESRI Shapefile", "kerb.shp", map, "LINESTRING (530010 3384050,530090 3384050)");
    // The parcel is written in map coordinates and stored in longitude and latitude.
    OGRGeometry* parcel = nullptr;
    const char* wkt = "POLYGON ((530020 3384020,530080 3384020,530080 3384080,530020 3384080,530020 3384020),"
                      "(530040 3384040,530060 3384040,530060 3384060,530040 3384060,530040 3384040))";
    OGRGeometryFactory::createFromWkt(wkt, &map, &parcel);
    parcel->transformTo(&geographic);
    char* lonLat = nullptr;
    parcel->exportToWkt(&lonLat);
    OGRGeometryFactory::destroyGeometry(parcel);
    const std::string parcels = write("GPKG", "parcels.gpkg", geographic, lonLat);
    CPLFree(lonLat);

    GroundLayers::Style named;
    named.label = "name";
    for (const std::string& path : {kerb, parcels}) {
        SCOPED_TRACE(path);
        osg::ref_ptr<osg::Node> node =
            GroundLayers::build(path, named, "EPSG:4547", *terrain, 530000, 3384000, 530100, 3384100, error);
        ASSERT_TRUE(node) << error;
        // The name stands a metre above the ground: the kerb's in its middle, the parcel's
        // inside it and outside its hole.
        ASSERT_EQ(node->asGroup()->getNumChildren(), 2u);
        const auto* label = dynamic_cast<const osgText::Text*>(node->asGroup()
                                                                   ->getChild(1)
                                                                   ->asGroup()
                                                                   ->getChild(0)
                                                                   ->asGroup()
                                                                   ->getChild(0)
                                                                   ->asGeode()
                                                                   ->getDrawable(0));
        ASSERT_TRUE(label);
        EXPECT_EQ(label->getText().createUTF8EncodedString(), "Jiefang Road");
        const osg::Vec3 at = label->getPosition();
        EXPECT_NEAR(at.z(), at.x() + 1.0, 0.02);
        if (path == kerb)
            EXPECT_NEAR((at - osg::Vec3(50, 50, 51)).length(), 0.0, 0.01);
        else
            EXPECT_TRUE(at.x() > 20 && at.x() < 80 && at.y() > 20 && at.y() < 80 &&
                        !(at.x() > 40 && at.x() < 60 && at.y() > 40 && at.y() < 60));
        osg::Geode* geode = node->asGroup()->getChild(0)->asGeode();
        const auto* vertices =
            static_cast<const osg::Vec3Array*>(geode->getDrawable(0)->asGeometry()->getVertexArray());
        ASSERT_GT(vertices->size(), 30u); // densified between the few vertices of the features
        for (const osg::Vec3& v : *vertices)
            ASSERT_NEAR(v.z(), v.x() + 0.15, 0.02) << v.x() << " " << v.y();
    }
    EXPECT_FALSE(GroundLayers::build(dir.filePath("slope.tif").toStdString(), GroundLayers::Style(),
                                     "EPSG:4547", *terrain, 530000, 3384000, 530100, 3384100, error));
    EXPECT_NE(error.find("is not a vector file"), std::string::npos) << error;
}
