#include "geo/FeatureSourceFactory.h"
#include "geo/OGRFeatureOptions.h"

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace osgEarth;
using namespace osgEarth::Features;
using osgEarth::Symbology::Geometry;

namespace fs = std::filesystem;

namespace {

// In longitude and latitude, in file order: a line with heights, a line in two parts, a
// record without a shape, and a valve.
const char* kLines = u8R"({"type": "FeatureCollection", "features": [
 {"type": "Feature", "properties": {"名称": "给水"}, "geometry": {"type": "LineString",
   "coordinates": [[116.1, 39.9, 3.5], [116.2, 39.9, 4.5]]}},
 {"type": "Feature", "properties": {}, "geometry": {"type": "MultiLineString",
   "coordinates": [[[116.0, 40.0], [116.1, 40.0], [116.1, 40.1]], [[117.0, 41.0], [117.1, 41.0]]]}},
 {"type": "Feature", "properties": {}, "geometry": null},
 {"type": "Feature", "properties": {}, "geometry": {"type": "Point", "coordinates": [116.5, 39.5]}}
]})";

// `file` in a fresh folder of its own, holding `bytes` unless they are null.
fs::path freshFile(const fs::path& file, const char* bytes = kLines) {
    fs::remove_all(fs::path(testing::TempDir()) / *file.begin());
    const fs::path path = fs::path(testing::TempDir()) / file;
    fs::create_directories(path.parent_path());
    if (bytes)
        std::ofstream(path) << bytes;
    return path;
}

// As line layers open their files: read-only, with a spatial index asked for.
osg::ref_ptr<FeatureSource> ogrSource(const std::string& url) {
    Drivers::OGRFeatureOptions options;
    options.url() = url;
    options.buildSpatialIndex() = true;
    return FeatureSourceFactory::create(options);
}

std::vector<osg::ref_ptr<Feature>> readAll(FeatureSource& source) {
    std::vector<osg::ref_ptr<Feature>> features;
    osg::ref_ptr<FeatureCursor> cursor = source.createFeatureCursor();
    while (cursor.valid() && cursor->hasMore())
        features.push_back(cursor->nextFeature());
    return features;
}

// Each feature's parts: P(oints), L(ine) or R(ing) with its number of points.
std::vector<std::string> parts(const std::vector<osg::ref_ptr<Feature>>& features) {
    std::vector<std::string> result;
    for (const auto& feature : features) {
        result.emplace_back();
        for (const Geometry::Part& part :
             feature->getGeometry() ? feature->getGeometry()->getParts() : std::vector<Geometry::Part>())
            result.back() += "PLR"[part.type] + std::to_string(part.points->size()) + " ";
    }
    return result;
}

} // namespace

TEST(OGRFeatureSource, GeoJsonUnderAChineseWindowsStylePathGivesOnePartPerLineInFileOrder) {
    const fs::path file = freshFile(fs::path("ogr_geojson") / u8"管线" / u8"给水.geojson");
    osg::ref_ptr<FeatureSource> source =
        ogrSource(file.parent_path().parent_path().string() + "\\管线\\给水.geojson");
    const Status status = source->open();
    ASSERT_TRUE(status.isOK()) << status.message();
    ASSERT_TRUE(source->getFeatureProfile() && source->getFeatureProfile()->getSRS());
    EXPECT_TRUE(source->getFeatureProfile()->getSRS()->isGeographic());
    const auto features = readAll(*source);
    ASSERT_EQ(parts(features), (std::vector<std::string>{"L2 ", "L3 L2 ", "", "P1 "}));
    EXPECT_EQ((*features[0]->getGeometry()->getParts()[0].points)[1], osg::Vec3d(116.2, 39.9, 4.5));
}

TEST(OGRFeatureSource, ShapefileKeepsItsProjectedSystemHeightsAndWritesNothing) {
    const fs::path file = freshFile("ogr_shapefile/mains.shp", nullptr);
    {
        GDALAllRegister();
        GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("ESRI Shapefile");
        std::unique_ptr<GDALDataset> ds(driver->Create(file.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
        OGRSpatialReference srs;
        srs.importFromEPSG(4547);
        OGRLayer* layer = ds->CreateLayer("mains", &srs, wkbLineString25D, nullptr);
        OGRFeature feature(layer->GetLayerDefn());
        OGRLineString line;
        line.addPoint(500000.0, 3400000.0, 21.0);
        line.addPoint(500030.0, 3400040.0, 22.0);
        feature.SetGeometry(&line);
        ASSERT_EQ(layer->CreateFeature(&feature), OGRERR_NONE);
    } // closed: written out
    const auto before = std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator());
    osg::ref_ptr<FeatureSource> source = ogrSource(file.string());
    ASSERT_TRUE(source->open().isOK());
    EXPECT_TRUE(source->getFeatureProfile()->getSRS()->isEquivalentTo(SpatialReference::create("EPSG:4547")));
    const auto features = readAll(*source);
    ASSERT_EQ(parts(features), std::vector<std::string>{"L2 "});
    EXPECT_EQ((*features[0]->getGeometry()->getParts()[0].points)[1], osg::Vec3d(500030.0, 3400040.0, 22.0));
    // A spatial index was asked for, but a source opened read-only must not gain files.
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), before);
}

TEST(OGRFeatureSource, PolygonsGiveClosedRingsAndArcsAreStraightened) {
    const char* csv = "id,WKT\n1,\"POLYGON ((0 0,10 0,10 10,0 10,0 0),(2 2,3 2,3 3,2 2))\"\n"
                      "2,\"CIRCULARSTRING (0 0,1 1,2 0)\"\n";
    osg::ref_ptr<FeatureSource> source = ogrSource(freshFile("ogr_csv/areas.csv", csv).string());
    ASSERT_TRUE(source->open().isOK());
    EXPECT_FALSE(source->getFeatureProfile()->getSRS()) << "a file without a system names none";
    const std::vector<std::string> read = parts(readAll(*source));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0], "R5 R4 ");
    EXPECT_TRUE(read[1][0] == 'L' && std::stoi(read[1].substr(1)) > 3) << read[1];
}

TEST(OGRFeatureSource, SourcesThatCannotOpenSayWhyAndGiveNoCursor) {
    osg::ref_ptr<FeatureSource> missing = ogrSource(testing::TempDir() + "no_such_file.shp");
    EXPECT_EQ(missing->open().code(), Status::ResourceUnavailable);
    EXPECT_FALSE(missing->getFeatureProfile() || missing->createFeatureCursor());
    const fs::path notVector = freshFile("ogr_text/notes.geojson", "this is not a vector file");
    EXPECT_EQ(ogrSource(notVector.string())->open().code(), Status::ResourceUnavailable);
    EXPECT_EQ(ogrSource("")->open().code(), Status::ConfigurationError);
    FeatureSourceOptions tiles;
    tiles.driver() = "tms";
    EXPECT_FALSE(FeatureSourceFactory::create(tiles)) << "only vector files are feature sources";
}
