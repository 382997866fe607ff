#include "geo/FeatureSourceFactory.h"
#include "geo/OGRFeatureOptions.h"

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace osgEarth;
using namespace osgEarth::Features;
using osgEarth::Drivers::OGRFeatureOptions;
using osgEarth::Symbology::Geometry;

namespace fs = std::filesystem;

namespace {

fs::path freshDir(const std::string& name) {
    fs::path dir = fs::path(testing::TempDir()) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

osg::ref_ptr<FeatureSource> openSource(const std::string& url, Status* status = nullptr) {
    OGRFeatureOptions options;
    options.name() = "pipeline";
    options.url() = url;
    options.buildSpatialIndex() = true;
    options.openWrite() = false;
    osg::ref_ptr<FeatureSource> source = FeatureSourceFactory::create(options);
    Status result = source->open();
    if (status)
        *status = result;
    return source;
}

std::vector<osg::ref_ptr<Feature>> readAll(FeatureSource& source, ProgressCallback* progress = nullptr) {
    std::vector<osg::ref_ptr<Feature>> features;
    osg::ref_ptr<FeatureCursor> cursor = source.createFeatureCursor(progress);
    while (cursor.valid() && cursor->hasMore())
        features.push_back(cursor->nextFeature());
    return features;
}

const char* kLines = u8R"({"type": "FeatureCollection", "features": [
 {"type": "Feature", "properties": {"名称": "给水"}, "geometry": {"type": "LineString",
   "coordinates": [[116.1, 39.9, 3.5], [116.2, 39.9, 4.5]]}},
 {"type": "Feature", "properties": {}, "geometry": {"type": "MultiLineString",
   "coordinates": [[[116.0, 40.0], [116.1, 40.0], [116.1, 40.1]], [[117.0, 41.0], [117.1, 41.0]]]}},
 {"type": "Feature", "properties": {}, "geometry": null},
 {"type": "Feature", "properties": {}, "geometry": {"type": "Point", "coordinates": [116.5, 39.5]}}
]})";

class CountingProgress : public ProgressCallback {
public:
    explicit CountingProgress(double stopAt) : stopAt(stopAt) {}
    bool reportProgress(double current, double total) override {
        last = current;
        lastTotal = total;
        return current >= stopAt;
    }
    double stopAt;
    double last = 0.0;
    double lastTotal = 0.0;
};

} // namespace

TEST(OGRFeatureSource, GeoJsonLinesComeInFileOrderWithOnePartPerLine) {
    const fs::path file = freshDir("ogr_geojson") / "lines.geojson";
    std::ofstream(file) << kLines;
    Status status;
    osg::ref_ptr<FeatureSource> source = openSource(file.string(), &status);
    ASSERT_TRUE(status.isOK()) << status.message();
    ASSERT_TRUE(source->getFeatureProfile());
    ASSERT_TRUE(source->getFeatureProfile()->getSRS());
    EXPECT_TRUE(source->getFeatureProfile()->getSRS()->isGeographic());
    EXPECT_DOUBLE_EQ(source->getFeatureProfile()->getExtent().xMax(), 117.1);

    const auto features = readAll(*source);
    ASSERT_EQ(features.size(), 4u);
    const Geometry* line = features[0]->getGeometry();
    ASSERT_TRUE(line);
    ASSERT_EQ(line->getParts().size(), 1u);
    EXPECT_EQ(line->getParts()[0].type, Geometry::LINE);
    EXPECT_EQ((*line->getParts()[0].points)[1], osg::Vec3d(116.2, 39.9, 4.5));

    const Geometry* multi = features[1]->getGeometry();
    ASSERT_TRUE(multi);
    ASSERT_EQ(multi->getParts().size(), 2u);
    EXPECT_EQ(multi->getParts()[0].points->size(), 3u);
    EXPECT_EQ(multi->getParts()[1].points->size(), 2u);
    osg::ref_ptr<osg::Vec3dArray> all = multi->createVec3dArray();
    EXPECT_EQ(all->size(), 5u);

    EXPECT_FALSE(features[2]->getGeometry());
    ASSERT_TRUE(features[3]->getGeometry());
    EXPECT_EQ(features[3]->getGeometry()->getParts()[0].type, Geometry::POINTS);
}

TEST(OGRFeatureSource, ShapefileKeepsItsProjectedSystemHeightsAndWritesNothing) {
    const fs::path dir = freshDir("ogr_shapefile");
    const fs::path file = dir / "mains.shp";
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
    }
    const auto before = std::distance(fs::directory_iterator(dir), fs::directory_iterator());

    Status status;
    osg::ref_ptr<FeatureSource> source = openSource(file.string(), &status);
    ASSERT_TRUE(status.isOK()) << status.message();
    EXPECT_TRUE(source->getFeatureProfile()->getSRS()->isEquivalentTo(SpatialReference::create("EPSG:4547")));
    const auto features = readAll(*source);
    ASSERT_EQ(features.size(), 1u);
    EXPECT_EQ((*features[0]->getGeometry()->getParts()[0].points)[1], osg::Vec3d(500030.0, 3400040.0, 22.0));
    // A spatial index was asked for, but a source opened read-only must not gain files.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), before);
}

TEST(OGRFeatureSource, GeoPackagePolygonGivesClosedRingsAndArcsAreStraightened) {
    const fs::path file = freshDir("ogr_gpkg") / "areas.gpkg";
    {
        GDALAllRegister();
        GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
        std::unique_ptr<GDALDataset> ds(driver->Create(file.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
        OGRSpatialReference srs;
        srs.importFromEPSG(4547);
        OGRLayer* layer = ds->CreateLayer("areas", &srs, wkbUnknown, nullptr);
        for (const char* wkt :
             {"POLYGON ((0 0,10 0,10 10,0 10,0 0),(2 2,3 2,3 3,2 2))", "CIRCULARSTRING (0 0,1 1,2 0)"}) {
            OGRGeometry* shape = nullptr;
            ASSERT_EQ(OGRGeometryFactory::createFromWkt(wkt, nullptr, &shape), OGRERR_NONE);
            OGRFeature feature(layer->GetLayerDefn());
            feature.SetGeometryDirectly(shape);
            ASSERT_EQ(layer->CreateFeature(&feature), OGRERR_NONE);
        }
    }
    osg::ref_ptr<FeatureSource> source = openSource(file.string());
    const auto features = readAll(*source);
    ASSERT_EQ(features.size(), 2u);
    const auto& rings = features[0]->getGeometry()->getParts();
    ASSERT_EQ(rings.size(), 2u);
    EXPECT_EQ(rings[0].type, Geometry::RING);
    EXPECT_EQ(rings[0].points->front(), rings[0].points->back());
    EXPECT_EQ(rings[1].points->size(), 4u);
    const auto& arc = features[1]->getGeometry()->getParts();
    ASSERT_EQ(arc.size(), 1u);
    EXPECT_EQ(arc[0].type, Geometry::LINE);
    EXPECT_GT(arc[0].points->size(), 3u);
    EXPECT_TRUE(source->getFeatureProfile()->getSRS()->isProjected());
}

TEST(OGRFeatureSource, ChineseAndWindowsStylePathsOpen) {
    const fs::path dir = freshDir("ogr_paths");
    fs::create_directories(dir / u8"管线");
    std::ofstream(dir / u8"管线" / u8"给水.geojson") << kLines;
    const std::string gbkPath = dir.string() + "\\管线\\给水.geojson";
    Status status;
    osg::ref_ptr<FeatureSource> source = openSource(gbkPath, &status);
    EXPECT_TRUE(status.isOK()) << status.message();
    EXPECT_EQ(readAll(*source).size(), 4u);
}

TEST(OGRFeatureSource, SourcesThatCannotOpenSayWhyAndGiveNoCursor) {
    Status status;
    osg::ref_ptr<FeatureSource> missing = openSource(testing::TempDir() + "no_such_file.shp", &status);
    EXPECT_EQ(status.code(), Status::ResourceUnavailable);
    EXPECT_FALSE(missing->getFeatureProfile());
    EXPECT_FALSE(missing->createFeatureCursor());

    const fs::path notVector = freshDir("ogr_text") / "notes.geojson";
    std::ofstream(notVector) << "this is not a vector file";
    openSource(notVector.string(), &status);
    EXPECT_TRUE(status.isError());

    openSource("", &status);
    EXPECT_EQ(status.code(), Status::ConfigurationError);

    FeatureSourceOptions unknown;
    unknown.driver() = "tms";
    EXPECT_FALSE(FeatureSourceFactory::create(unknown));
}

TEST(OGRFeatureSource, GenericOptionsFromConfigurationReachTheOgrDriver) {
    const fs::path file = freshDir("ogr_config") / "lines.geojson";
    std::ofstream(file) << kLines;
    Config config("features");
    config.set("driver", "ogr");
    config.set("url", file.string());
    osg::ref_ptr<FeatureSource> source = FeatureSourceFactory::create(FeatureSourceOptions(config));
    ASSERT_TRUE(source);
    ASSERT_TRUE(source->open().isOK());
    EXPECT_EQ(readAll(*source).size(), 4u);
    EXPECT_EQ(OGRFeatureOptions(OGRFeatureOptions(config).getConfig()).url(), file.string());
}

TEST(OGRFeatureSource, ProgressHearsOfEachFeatureAndCanStopTheCursor) {
    const fs::path file = freshDir("ogr_progress") / "lines.geojson";
    std::ofstream(file) << kLines;
    osg::ref_ptr<FeatureSource> source = openSource(file.string());
    osg::ref_ptr<CountingProgress> all = new CountingProgress(100.0);
    EXPECT_EQ(readAll(*source, all.get()).size(), 4u);
    EXPECT_EQ(all->last, 4.0);
    EXPECT_EQ(all->lastTotal, 4.0);
    osg::ref_ptr<CountingProgress> two = new CountingProgress(2.0);
    EXPECT_EQ(readAll(*source, two.get()).size(), 2u);
    // Two cursors of one source read independently.
    osg::ref_ptr<FeatureCursor> a = source->createFeatureCursor();
    osg::ref_ptr<FeatureCursor> b = source->createFeatureCursor();
    a->nextFeature();
    EXPECT_EQ(b->nextFeature()->getFID(), a->nextFeature()->getFID() - 1);
}
