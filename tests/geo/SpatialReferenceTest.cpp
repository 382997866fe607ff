#include "geo/SpatialReference.h"

#include <gtest/gtest.h>

#include <fstream>

using osgEarth::SpatialReference;

TEST(SpatialReference, IsCreatedFromEpsgCodeProjStringAndWkt) {
    const SpatialReference* epsg = SpatialReference::create("EPSG:4547");
    ASSERT_TRUE(epsg);
    EXPECT_TRUE(epsg->isProjected());
    const SpatialReference* proj = SpatialReference::create("+proj=longlat +datum=WGS84 +no_defs");
    ASSERT_TRUE(proj);
    EXPECT_TRUE(proj->isGeographic());
    const SpatialReference* wkt = SpatialReference::create(epsg->getWKT());
    ASSERT_TRUE(wkt);
    EXPECT_TRUE(wkt->isEquivalentTo(epsg));
    EXPECT_EQ(SpatialReference::create("EPSG:4547"), epsg) << "one shared instance per init string";
}

TEST(SpatialReference, UnknownTextOrAFileNameGivesNoSystem) {
    EXPECT_FALSE(SpatialReference::create(""));
    EXPECT_FALSE(SpatialReference::create("not a system"));
    EXPECT_FALSE(SpatialReference::create("EPSG:999999"));
    // A .prj file's name must not be taken as a definition to read.
    const std::string prj = testing::TempDir() + "layer.prj";
    std::ofstream(prj) << SpatialReference::create("EPSG:3857")->getWKT();
    EXPECT_FALSE(SpatialReference::create(prj));
}

TEST(SpatialReference, TransformsInLongitudeLatitudeOrder) {
    const SpatialReference* wgs84 = SpatialReference::create("EPSG:4326");
    const SpatialReference* mercator = SpatialReference::create("EPSG:3857");
    ASSERT_TRUE(wgs84 && mercator);
    osg::Vec3d out;
    ASSERT_TRUE(wgs84->transform(osg::Vec3d(180.0, 0.0, 5.0), mercator, out));
    EXPECT_NEAR(out.x(), 20037508.342789, 1e-3);
    EXPECT_NEAR(out.y(), 0.0, 1e-6);
    EXPECT_NEAR(out.z(), 5.0, 1e-9);
}

TEST(SpatialReference, WorldFrameIsTheProjectedSystemOrGeocentricForGeographicMaps) {
    const SpatialReference* projected = SpatialReference::create("EPSG:4547");
    const SpatialReference* geographic = SpatialReference::create("EPSG:4490");
    ASSERT_TRUE(projected && geographic);
    EXPECT_EQ(projected->getWorldSRS(), projected);
    const SpatialReference* world = geographic->getWorldSRS();
    ASSERT_TRUE(world);
    EXPECT_TRUE(world->isGeocentric());
    EXPECT_EQ(geographic->getGeocentricSRS(), world);

    osg::Vec3d out;
    ASSERT_TRUE(geographic->transform(osg::Vec3d(0.0, 0.0, 0.0), world, out));
    EXPECT_NEAR(out.x(), 6378137.0, 1e-3);
    EXPECT_NEAR(out.y(), 0.0, 1e-3);
    EXPECT_NEAR(out.z(), 0.0, 1e-3);
    ASSERT_TRUE(projected->getGeocentricSRS());
    EXPECT_TRUE(projected->getGeocentricSRS()->isGeocentric());
}

TEST(SpatialReference, NullTargetKeepsTheDataCoordinates) {
    const SpatialReference* srs = SpatialReference::create("EPSG:4547");
    std::vector<osg::Vec3d> points{{500000.0, 3400000.0, 12.0}};
    ASSERT_TRUE(srs->transform(points, nullptr));
    EXPECT_EQ(points.front(), osg::Vec3d(500000.0, 3400000.0, 12.0));
}

TEST(SpatialReference, FailedTransformLeavesEveryPointUnchanged) {
    const SpatialReference* wgs84 = SpatialReference::create("EPSG:4326");
    const SpatialReference* mercator = SpatialReference::create("EPSG:3857");
    // Latitude 95 does not exist; the first point alone would transform.
    std::vector<osg::Vec3d> points{{10.0, 10.0, 0.0}, {0.0, 95.0, 0.0}};
    const std::vector<osg::Vec3d> before = points;
    EXPECT_FALSE(wgs84->transform(points, mercator));
    EXPECT_EQ(points, before);
}
