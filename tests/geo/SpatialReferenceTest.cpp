#include "geo/SpatialReference.h"
#include "geo/Map.h"

#include <gtest/gtest.h>

#include <fstream>

using osgEarth::SpatialReference;

TEST(SpatialReference, IsMadeOnceFromAnEpsgCodeProjStringOrWktAndFromNothingElse) {
    const SpatialReference* epsg = SpatialReference::create("EPSG:4547");
    ASSERT_TRUE(epsg && epsg->isProjected());
    EXPECT_EQ(SpatialReference::create("EPSG:4547"), epsg) << "one shared instance per init string";
    const SpatialReference* proj = SpatialReference::create("+proj=longlat +datum=WGS84 +no_defs");
    EXPECT_TRUE(proj && proj->isGeographic());
    const SpatialReference* wkt = SpatialReference::create(epsg->getWKT());
    EXPECT_TRUE(wkt && wkt->isEquivalentTo(epsg));

    // A .prj file's name must not be taken as a definition to read.
    const std::string prj = testing::TempDir() + "layer.prj";
    std::ofstream(prj) << SpatialReference::create("EPSG:3857")->getWKT();
    for (const char* text : {"", "not a system", "EPSG:999999", prj.c_str()})
        EXPECT_FALSE(SpatialReference::create(text)) << text;
}

TEST(SpatialReference, TransformsPointsInLongitudeLatitudeOrderAllOrNone) {
    const SpatialReference* wgs84 = SpatialReference::create("EPSG:4326");
    const SpatialReference* mercator = SpatialReference::create("EPSG:3857");
    ASSERT_TRUE(wgs84 && mercator);
    std::vector<osg::Vec3d> points{{180.0, 0.0, 5.0}};
    ASSERT_TRUE(wgs84->transform(points, mercator));
    EXPECT_NEAR((points[0] - osg::Vec3d(20037508.342789, 0.0, 5.0)).length(), 0.0, 1e-3);

    // Latitude 95 does not exist; the first point alone would transform.
    points = {{10.0, 10.0, 0.0}, {0.0, 95.0, 0.0}};
    const std::vector<osg::Vec3d> before = points;
    EXPECT_FALSE(wgs84->transform(points, mercator));
    EXPECT_EQ(points, before);
    // Without a target the points are taken as they are.
    EXPECT_TRUE(wgs84->transform(points, nullptr));
    EXPECT_EQ(points, before);
}

TEST(SpatialReference, WorldFrameIsTheProjectedSystemOrGeocentricForGeographicMaps) {
    const SpatialReference* projected = SpatialReference::create("EPSG:4547");
    const SpatialReference* geographic = SpatialReference::create("EPSG:4490");
    ASSERT_TRUE(projected && geographic);
    EXPECT_EQ(projected->getWorldSRS(), projected);
    const SpatialReference* world = geographic->getWorldSRS();
    ASSERT_TRUE(world && world->isGeocentric());
    EXPECT_EQ(geographic->getGeocentricSRS(), world);
    EXPECT_EQ(osg::ref_ptr<osgEarth::Map>(new osgEarth::Map(geographic))->getWorldSRS(), world);
    ASSERT_TRUE(projected->getGeocentricSRS() && projected->getGeocentricSRS()->isGeocentric());
    osg::Vec3d out;
    ASSERT_TRUE(geographic->transform(osg::Vec3d(), world, out));
    EXPECT_NEAR((out - osg::Vec3d(6378137.0, 0.0, 0.0)).length(), 0.0, 1e-3);
}
