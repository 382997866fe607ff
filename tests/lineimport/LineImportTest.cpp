// "OpenLine:" and "OpenKml:" through the real control, viewer and message handler, on
// vector files that GDAL writes and reads.
#include "plugin/CXPipeLineCtrl.h"
#include "plugin/PipeHandler.h"

#include "geo/SpatialReference.h"
#include "loft/Loft.h"

#include "Selmor/CXViewer.h"
#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"

#include <osg/Geode>
#include <osg/LOD>
#include <osg/MatrixTransform>
#include <osg/ShapeDrawable>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// Ground rising one metre per ten metres east of x = 500000.
class Hillside : public TerrainHeight {
public:
    double heightAt(double x, double) const override { return 10.0 + (x - 500000.0) / 10.0; }
};

// Survey lines in a projected system (metres): a bent main, 40 m north on level ground
// then 60 m east up the hillside, a
// two-part line with a 1 km gap between its parts, a record without a shape, a valve
// (point), and a line of a single point.
const char* kSurvey = R"({"type": "FeatureCollection",
 "crs": {"type": "name", "properties": {"name": "urn:ogc:def:crs:EPSG::4547"}},
 "features": [
 {"type": "Feature", "properties": {}, "geometry": {"type": "LineString",
   "coordinates": [[500000, 3400000], [500000, 3400040], [500060, 3400040]]}},
 {"type": "Feature", "properties": {}, "geometry": {"type": "MultiLineString",
   "coordinates": [[[500100, 3400000], [500110, 3400000]], [[501100, 3400000], [501120, 3400000]]]}},
 {"type": "Feature", "properties": {}, "geometry": null},
 {"type": "Feature", "properties": {}, "geometry": {"type": "Point", "coordinates": [500000, 3400000]}},
 {"type": "Feature", "properties": {}, "geometry": {"type": "LineString", "coordinates": [[500000, 3400000]]}}
]})";

class LineImport : public ::testing::Test {
protected:
    void SetUp() override {
        viewer.reset(new CXViewer);
        control = CXPipeLineCtrl::getInstance();
        control->initialize();
        g_playerManager->setTerrain(std::make_shared<Hillside>());
        dir = fs::path(testing::TempDir()) /
              ("lineimport_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        for (const auto& name : std::vector<std::string>(names()))
            control->removeLineLayer(name);
        control->featureSources.clear();
        g_playerManager->setTerrain(nullptr);
        viewer.reset();
    }

    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const auto& entry : control->lineLayers)
            result.push_back(entry.first);
        return result;
    }
    std::string writeSurvey() const {
        const std::string file = (dir / "survey.geojson").string();
        std::ofstream(file) << kSurvey;
        return file;
    }
    osg::Group* layer(const std::string& name) const {
        auto found = control->lineLayers.find(name);
        return found == control->lineLayers.end() ? nullptr : found->second.get();
    }
    void post(const std::string& message) {
        control->postMessage(message);
        viewer->frame();
    }

    std::unique_ptr<CXViewer> viewer;
    CXPipeLineCtrl* control = nullptr;
    fs::path dir;
};

osg::MatrixTransform* segmentAt(osg::Group* group, unsigned i) {
    return group ? dynamic_cast<osg::MatrixTransform*>(group->getChild(i)) : nullptr;
}

const osgModeling::Loft* tube(const osg::LOD& lod, unsigned level) {
    return dynamic_cast<const osgModeling::Loft*>(lod.getChild(level)->asGeode()->getDrawable(0));
}

// The tube's axis end, in the segment's frame, read from the fine tube's ring centres.
osg::Vec3 tubeEnd(const osg::LOD& lod) {
    const auto& v = *static_cast<const osg::Vec3Array*>(tube(lod, 0)->getVertexArray());
    osg::Vec3 sum;
    for (size_t i = v.size() / 2; i + 1 < v.size(); ++i)
        sum += v[i];
    return sum / static_cast<float>(v.size() / 2 - 1);
}

void expectRanges(const osg::LOD& lod, float nearRange, float middle, float farRange) {
    ASSERT_EQ(lod.getNumChildren(), 3u);
    EXPECT_FLOAT_EQ(lod.getMinRange(0), 0.0f);
    EXPECT_FLOAT_EQ(lod.getMaxRange(0), nearRange);
    EXPECT_FLOAT_EQ(lod.getMinRange(1), nearRange);
    EXPECT_FLOAT_EQ(lod.getMaxRange(1), middle);
    EXPECT_FLOAT_EQ(lod.getMinRange(2), middle);
    EXPECT_FLOAT_EQ(lod.getMaxRange(2), farRange);
}

} // namespace

TEST_F(LineImport, OpenLineBuildsOneGroupPerFeatureAndOneTubePerPointPair) {
    const std::string file = writeSurvey();
    post("OpenLine:" + file + ",1.5,0,0.5,1,1");
    osg::Group* lines = layer(file);
    ASSERT_TRUE(lines);
    EXPECT_TRUE(viewer->getPipeGroup()->containsNode(lines));
    ASSERT_EQ(control->featureSources.count(file), 1u);

    ASSERT_EQ(lines->getNumChildren(), 5u) << "one group per feature, shapeless ones too";
    osg::Group* main = lines->getChild(0)->asGroup();
    ASSERT_EQ(main->getNumChildren(), 2u);
    for (unsigned i = 2; i < 5; ++i)
        EXPECT_EQ(lines->getChild(i)->asGroup()->getNumChildren(), 0u) << "feature " << i;

    // The tube axis lies at the terrain height minus the burial depth, in double
    // precision at the first point of each pair.
    const osg::Vec3d first = segmentAt(main, 0)->getMatrix().getTrans();
    const osg::Vec3d second = segmentAt(main, 1)->getMatrix().getTrans();
    EXPECT_EQ(first, osg::Vec3d(500000.0, 3400000.0, 10.0 - 1.5));
    EXPECT_EQ(second, osg::Vec3d(500000.0, 3400040.0, 10.0 - 1.5));

    auto* firstTube = dynamic_cast<osg::LOD*>(segmentAt(main, 0)->getChild(0));
    auto* secondTube = dynamic_cast<osg::LOD*>(segmentAt(main, 1)->getChild(0));
    ASSERT_TRUE(firstTube && secondTube);
    const osg::Vec3 end = tubeEnd(*firstTube);
    EXPECT_NEAR((end - osg::Vec3(second - first)).length(), 0.0f, 1e-3f);
    // A short leg gets the fixed ranges, a leg above 50 m ranges in proportion.
    expectRanges(*firstTube, 100.0f, 800.0f, 6400.0f);
    const float climb = osg::Vec3(60.0f, 0.0f, 6.0f).length();
    expectRanges(*secondTube, 2.0f * climb, 16.0f * climb, 128.0f * climb);
    EXPECT_EQ(tube(*firstTube, 0)->getVertexArray()->getNumElements(), 37u * 2u);
    EXPECT_EQ(tube(*firstTube, 1)->getVertexArray()->getNumElements(), 19u * 2u);
    EXPECT_EQ(tube(*firstTube, 2)->getVertexArray()->getNumElements(), 7u * 2u);
    const auto* colours = dynamic_cast<const osg::Vec4dArray*>(tube(*firstTube, 0)->getColorArray());
    ASSERT_TRUE(colours);
    EXPECT_EQ((*colours)[0], osg::Vec4d(0.0, 0.5, 1.0, 1.0));
    EXPECT_EQ(colours->getBinding(), osg::Array::BIND_OVERALL);

    // Only the inner vertex gets a joint: one ball of the tube's radius (1 for files).
    ASSERT_EQ(segmentAt(main, 0)->getNumChildren(), 2u);
    EXPECT_EQ(segmentAt(main, 1)->getNumChildren(), 1u);
    auto* joint = dynamic_cast<osg::LOD*>(segmentAt(main, 0)->getChild(1));
    ASSERT_TRUE(joint);
    EXPECT_EQ(joint->getCenterMode(), osg::LOD::USER_DEFINED_CENTER);
    EXPECT_NEAR((joint->getCenter() - osg::Vec3d(end)).length(), 0.0, 1e-3);
    EXPECT_FLOAT_EQ(joint->getMaxRange(0), 150.0f);
    EXPECT_FLOAT_EQ(joint->getMaxRange(1), 1000.0f);
    auto* ball = dynamic_cast<osg::ShapeDrawable*>(joint->getChild(1)->asGeode()->getDrawable(0));
    ASSERT_TRUE(ball);
    EXPECT_FLOAT_EQ(static_cast<const osg::Capsule*>(ball->getShape())->getRadius(), 1.0f);
    EXPECT_FLOAT_EQ(ball->getTessellationHints()->getDetailRatio(), 0.4f);
}

TEST_F(LineImport, MultiLineFeatureGivesOneChainPerPartAndNeverBridgesTheGap) {
    const std::string file = writeSurvey();
    post("OpenLine:" + file + ",0,1,0,0,1");
    osg::Group* twoParts = layer(file)->getChild(1)->asGroup();
    ASSERT_EQ(twoParts->getNumChildren(), 2u);
    for (unsigned i = 0; i < 2; ++i) {
        auto* lod = dynamic_cast<osg::LOD*>(segmentAt(twoParts, i)->getChild(0));
        EXPECT_LE(tubeEnd(*lod).length(), 21.0f) << "no tube spans the kilometre between the parts";
        EXPECT_EQ(segmentAt(twoParts, i)->getNumChildren(), 1u) << "part ends are not joints";
    }
    EXPECT_EQ(segmentAt(twoParts, 1)->getMatrix().getTrans().x(), 501100.0);
}

TEST_F(LineImport, ImportedLinesLandInTheMapsProjectedSystemNotGeocentric) {
    const std::string file = writeSurvey();
    const osgEarth::SpatialReference* neighbourZone = osgEarth::SpatialReference::create("EPSG:4548");
    viewer->mapNode->getMap()->setSRS(neighbourZone);
    post("OpenLine:" + file + ",2,1,0,0,1");
    const osg::Vec3d placed = segmentAt(layer(file)->getChild(0)->asGroup(), 0)->getMatrix().getTrans();
    osg::Vec3d expected;
    ASSERT_TRUE(osgEarth::SpatialReference::create("EPSG:4547")
                    ->transform(osg::Vec3d(500000.0, 3400000.0, 0.0), neighbourZone, expected));
    EXPECT_NEAR(placed.x(), expected.x(), 1e-6);
    EXPECT_NEAR(placed.y(), expected.y(), 1e-6);
    // The terrain is asked where the point lies on the map.
    EXPECT_NEAR(placed.z(), 10.0 + (expected.x() - 500000.0) / 10.0 - 2.0, 1e-6);

    // Under a geographic map the world is geocentric.
    const osgEarth::SpatialReference* geographic = osgEarth::SpatialReference::create("EPSG:4490");
    viewer->mapNode->getMap()->setSRS(geographic);
    const std::string copy = (dir / "copy.geojson").string();
    std::ofstream(copy) << kSurvey;
    post("OpenLine:" + copy + ",2,1,0,0,1");
    const osg::Vec3d geocentric = segmentAt(layer(copy)->getChild(0)->asGroup(), 0)->getMatrix().getTrans();
    const osgEarth::SpatialReference* survey = osgEarth::SpatialReference::create("EPSG:4547");
    osg::Vec3d lonLat, expectedGeocentric;
    ASSERT_TRUE(survey->transform(osg::Vec3d(500000.0, 3400000.0, 0.0), geographic, lonLat));
    const double z = 10.0 + (lonLat.x() - 500000.0) / 10.0 - 2.0;
    ASSERT_TRUE(survey->transform(osg::Vec3d(500000.0, 3400000.0, z), geographic->getGeocentricSRS(),
                                  expectedGeocentric));
    EXPECT_NEAR((geocentric - expectedGeocentric).length(), 0.0, 1e-3);
}

TEST_F(LineImport, ShapefileWithoutSystemIsTakenInWorldCoordinates) {
    const fs::path file = dir / "mains.shp";
    {
        GDALAllRegister();
        GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("ESRI Shapefile");
        std::unique_ptr<GDALDataset> ds(driver->Create(file.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
        OGRLayer* shapes = ds->CreateLayer("mains", nullptr, wkbLineString, nullptr);
        for (double y : {0.0, 100.0}) {
            OGRFeature feature(shapes->GetLayerDefn());
            OGRLineString line;
            line.addPoint(500000.0, y);
            line.addPoint(500020.0, y);
            line.addPoint(500020.0, y + 20.0);
            feature.SetGeometry(&line);
            ASSERT_EQ(shapes->CreateFeature(&feature), OGRERR_NONE);
        }
    }
    viewer->mapNode->getMap()->setSRS(osgEarth::SpatialReference::create("EPSG:4547"));
    post("OpenLine:" + file.string() + ",1,1,1,0,1");
    osg::Group* lines = layer(file.string());
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->getNumChildren(), 2u);
    EXPECT_EQ(segmentAt(lines->getChild(1)->asGroup(), 1)->getMatrix().getTrans(),
              osg::Vec3d(500020.0, 100.0, 12.0 - 1.0));
}

TEST_F(LineImport, FileThatDoesNotExistChangesNothingAndItsRemovalDoesNothing) {
    const unsigned before = viewer->getPipeGroup()->getNumChildren();
    const std::string missing = (dir / "nowhere.shp").string();
    post("OpenLine:" + missing + ",1,1,0,0,1");
    EXPECT_TRUE(control->lineLayers.empty());
    EXPECT_TRUE(control->featureSources.empty());
    EXPECT_EQ(viewer->getPipeGroup()->getNumChildren(), before);
    osg::Vec4f red(1, 0, 0, 1);
    EXPECT_FALSE(control->openLine(missing, 1.0f, red));
    post("Remove:" + missing);
    EXPECT_EQ(viewer->getPipeGroup()->getNumChildren(), before);
}

TEST_F(LineImport, OpenKmlWithThreePointsGivesTwoTubesAndOneJointOfTheGivenRadius) {
    auto* points = new std::vector<osg::Vec3d>{
        {500000.0, 3400000.0, -3.0}, {500040.0, 3400000.0, -3.0}, {500040.0, 3400030.0, -4.0}};
    control->postMessageWithData(points, "OpenKml:route,2,0.25,1,0,0,1");
    viewer->frame();
    EXPECT_FALSE(control->getHandler()->hasPendingPoints()) << "the posted list is released after use";
    osg::Group* route = layer("route");
    ASSERT_TRUE(route);
    ASSERT_EQ(route->getNumChildren(), 2u) << "segment transforms directly under the layer";
    // The height offset moves along world z, nothing else.
    EXPECT_EQ(segmentAt(route, 0)->getMatrix().getTrans(), osg::Vec3d(500000.0, 3400000.0, -1.0));
    EXPECT_EQ(segmentAt(route, 1)->getMatrix().getTrans(), osg::Vec3d(500040.0, 3400000.0, -1.0));
    ASSERT_EQ(segmentAt(route, 0)->getNumChildren(), 2u);
    EXPECT_EQ(segmentAt(route, 1)->getNumChildren(), 1u);
    auto* joint = dynamic_cast<osg::LOD*>(segmentAt(route, 0)->getChild(1));
    auto* ball = dynamic_cast<osg::ShapeDrawable*>(joint->getChild(0)->asGeode()->getDrawable(0));
    EXPECT_FLOAT_EQ(static_cast<const osg::Capsule*>(ball->getShape())->getRadius(), 0.25f);
    EXPECT_EQ(ball->getColor(), osg::Vec4(1, 0, 0, 1));
    // The tube wall stands the radius off its axis.
    auto* lod = dynamic_cast<osg::LOD*>(segmentAt(route, 0)->getChild(0));
    const osg::Vec3& wall = (*static_cast<const osg::Vec3Array*>(tube(*lod, 0)->getVertexArray()))[0];
    EXPECT_NEAR(osg::Vec2(wall.y(), wall.z()).length(), 0.25f, 1e-5f);
}

TEST_F(LineImport, OpenKmlWithTwoPointsHasNoJointAndWithoutPointsBuildsNoTube) {
    osg::Vec4f red(1, 0, 0, 1);
    std::vector<osg::Vec3d> two{{0, 0, 0}, {10, 0, 0}};
    ASSERT_TRUE(control->openKml("pair", &two, 0.5f, 0.0f, red));
    ASSERT_EQ(layer("pair")->getNumChildren(), 1u);
    EXPECT_EQ(segmentAt(layer("pair"), 0)->getNumChildren(), 1u);
    EXPECT_EQ(two.size(), 2u) << "the caller keeps its points";

    std::vector<osg::Vec3d> none;
    ASSERT_TRUE(control->openKml("empty", &none, 0.5f, 0.0f, red));
    EXPECT_EQ(layer("empty")->getNumChildren(), 0u);
    ASSERT_TRUE(control->openKml("null", nullptr, 0.5f, 0.0f, red));
    EXPECT_EQ(layer("null")->getNumChildren(), 0u);
}
