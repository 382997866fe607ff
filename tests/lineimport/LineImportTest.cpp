// "OpenLine:" and "OpenKml:" through the real control, viewer and message handler, on
// vector files that GDAL writes and reads.
#include "plugin/CXPipeLineCtrl.h"
#include "plugin/PipeHandler.h"

#include "geo/SpatialReference.h"
#include "loft/Loft.h"
#include "modeling/LineLayerBuilder.h"

#include "Selmor/CXViewer.h"
#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"

#include <osg/Geode>
#include <osg/LOD>
#include <osg/MatrixTransform>
#include <osg/ShapeDrawable>
#include <osg/Transform>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

namespace fs = std::filesystem;
using osgEarth::SpatialReference;

namespace {

// Ground rising one metre per ten metres east of x = 500000.
class Hillside : public TerrainHeight {
public:
    double heightAt(double x, double) const override { return 10.0 + (x - 500000.0) / 10.0; }
};

// Survey lines in a projected system (metres): a bent main, 40 m north on level ground
// then 60 m east up the hillside, a two-part line with a 1 km gap between its parts, a
// record without a shape, a valve (point), and a line of a single point.
const char* kSurvey = R"({"type": "FeatureCollection",
 "crs": {"type": "name", "properties": {"name": "urn:ogc:def:crs:EPSG::4547"}}, "features": [
 {"type": "Feature", "properties": {}, "geometry": {"type": "LineString",
   "coordinates": [[500000, 3400000], [500000, 3400040], [500060, 3400040]]}},
 {"type": "Feature", "properties": {}, "geometry": {"type": "MultiLineString",
   "coordinates": [[[500100, 3400000], [500110, 3400000]], [[501100, 3400000], [501120, 3400000]]]}},
 {"type": "Feature", "properties": {}, "geometry": null},
 {"type": "Feature", "properties": {}, "geometry": {"type": "Point", "coordinates": [500000, 3400000]}},
 {"type": "Feature", "properties": {}, "geometry": {"type": "LineString", "coordinates": [[500000, 3400000]]}}]})";

class LineImport : public ::testing::Test {
protected:
    void SetUp() override {
        viewer.reset(new CXViewer);
        control = CXPipeLineCtrl::getInstance();
        control->initialize();
        g_playerManager->setTerrain(std::make_shared<Hillside>());
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::ofstream(survey) << kSurvey;
    }
    void TearDown() override {
        // Builds still running, cancelled ones too, end with the test.
        control->pendingLayers.clear();
        control->retiring.clear();
        control->lineLayers.clear(); // their groups go with the viewer
        control->featureSources.clear();
        g_playerManager->setTerrain(nullptr);
        viewer.reset();
    }

    osg::Group* layer(const std::string& name) const {
        auto found = control->lineLayers.find(name);
        return found == control->lineLayers.end() ? nullptr : found->second.get();
    }
    // Runs frames until no layer is being built.
    void settle() {
        viewer->frame();
        for (int i = 0; i < 20000 && !control->pendingLayers.empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            viewer->frame();
        }
    }
    // Files are read on a worker: their layers arrive at a later frame.
    void post(const std::string& message) {
        control->postMessage(message);
        settle();
    }

    std::unique_ptr<CXViewer> viewer;
    CXPipeLineCtrl* control = nullptr;
    const fs::path dir = fs::path(testing::TempDir()) / "lineimport";
    const std::string survey = (dir / "survey.geojson").string();
};

osg::MatrixTransform* segment(osg::Node* group, unsigned i) {
    return group ? dynamic_cast<osg::MatrixTransform*>(group->asGroup()->getChild(i)) : nullptr;
}
// Below the segment's translation: the turn and stretch of the shared unit tube, then
// the tube's levels of detail; beside it the joint's ball, if any.
osg::Matrixd axisOf(osg::MatrixTransform* segment) {
    osg::Matrixd placement;
    segment->getChild(0)->asTransform()->computeLocalToWorldMatrix(placement, nullptr);
    return placement;
}
osg::LOD* tubesOf(osg::MatrixTransform* segment) {
    return dynamic_cast<osg::LOD*>(segment->getChild(0)->asGroup()->getChild(0));
}
osg::LOD* jointOf(osg::MatrixTransform* segment) {
    return dynamic_cast<osg::LOD*>(segment->getChild(1));
}
// The drawable of one level of detail: a Loft tube or a ShapeDrawable ball.
template <class Drawable> const Drawable* shown(const osg::LOD& lod, unsigned level) {
    return dynamic_cast<const Drawable*>(lod.getChild(level)->asGeode()->getDrawable(0));
}

// The far end of a tube's axis, in the segment's frame.
osg::Vec3 tubeEnd(osg::MatrixTransform* segment) {
    return osg::Vec3(osg::Vec3d(0.0, 0.0, 1.0) * axisOf(segment));
}

// Each child is seen from one edge to the next: 0 to edges[0], edges[0] to edges[1], ...
void expectRanges(const osg::LOD& lod, const std::vector<float>& edges) {
    ASSERT_EQ(lod.getNumChildren(), edges.size());
    for (unsigned i = 0; i < edges.size(); ++i) {
        EXPECT_FLOAT_EQ(lod.getMinRange(i), i ? edges[i - 1] : 0.0f) << i;
        EXPECT_FLOAT_EQ(lod.getMaxRange(i), edges[i]) << i;
    }
}

} // namespace

TEST_F(LineImport, OpenLineBuildsOneGroupPerFeatureAndOneTubePerPointPair) {
    post("OpenLine:" + survey + ",1.5,0,0.5,1,1");
    osg::Group* lines = layer(survey);
    ASSERT_TRUE(lines);
    EXPECT_TRUE(viewer->getPipeGroup()->containsNode(lines));
    ASSERT_EQ(lines->getNumChildren(), 5u) << "one group per feature, shapeless ones too";
    const std::vector<unsigned> segments = {2, 2, 0, 0, 0};
    for (unsigned i = 0; i < 5; ++i)
        EXPECT_EQ(lines->getChild(i)->asGroup()->getNumChildren(), segments[i]) << "feature " << i;

    // The tube axis lies at the terrain height minus the burial depth, in double
    // precision at the first point of each pair.
    osg::MatrixTransform *first = segment(lines->getChild(0), 0), *second = segment(lines->getChild(0), 1);
    EXPECT_EQ(first->getMatrix().getTrans(), osg::Vec3d(500000.0, 3400000.0, 10.0 - 1.5));
    EXPECT_EQ(second->getMatrix().getTrans(), osg::Vec3d(500000.0, 3400040.0, 10.0 - 1.5));
    const osg::Vec3 end = tubeEnd(first);
    EXPECT_NEAR((end - osg::Vec3(second->getMatrix().getTrans() - first->getMatrix().getTrans())).length(),
                0.0f, 1e-3f);
    // A short leg gets the fixed ranges, a leg above 50 m ranges in proportion; the
    // tubes coarsen from 36 to 18 to 6 facets. All legs share the same tubes.
    expectRanges(*tubesOf(first), {100.0f, 800.0f, 6400.0f});
    const float climb = osg::Vec3(60.0f, 0.0f, 6.0f).length();
    expectRanges(*tubesOf(second), {2.0f * climb, 16.0f * climb, 128.0f * climb});
    const unsigned rings[] = {37, 19, 7};
    for (unsigned level = 0; level < 3; ++level) {
        EXPECT_EQ(shown<osgModeling::Loft>(*tubesOf(first), level)->getVertexArray()->getNumElements(),
                  2u * rings[level]);
        EXPECT_EQ(shown<osgModeling::Loft>(*tubesOf(first), level),
                  shown<osgModeling::Loft>(*tubesOf(segment(lines->getChild(1), 1)), level));
    }
    const auto* colours =
        dynamic_cast<const osg::Vec4dArray*>(shown<osgModeling::Loft>(*tubesOf(first), 0)->getColorArray());
    EXPECT_TRUE(colours && colours->getBinding() == osg::Array::BIND_OVERALL &&
                (*colours)[0] == osg::Vec4d(0.0, 0.5, 1.0, 1.0));

    // Only the inner vertex gets a joint, a ball of the tube's radius (1 for files),
    // carried by the leg that starts there.
    ASSERT_TRUE(first->getNumChildren() == 1u && second->getNumChildren() == 2u);
    osg::LOD* joint = jointOf(second);
    EXPECT_EQ(joint->getCenterMode(), osg::LOD::USER_DEFINED_CENTER);
    EXPECT_EQ(joint->getCenter(), osg::Vec3());
    expectRanges(*joint, {150.0f, 1000.0f});
    EXPECT_FLOAT_EQ(
        static_cast<const osg::Capsule*>(shown<osg::ShapeDrawable>(*joint, 1)->getShape())->getRadius(),
        1.0f);
    EXPECT_FLOAT_EQ(shown<osg::ShapeDrawable>(*joint, 1)->getTessellationHints()->getDetailRatio(), 0.4f);

    // Each part of a multi-line is a chain of its own: no tube spans the kilometre
    // between them, and part ends are not joints.
    for (unsigned i = 0; i < 2; ++i) {
        EXPECT_LE(tubeEnd(segment(lines->getChild(1), i)).length(), 21.0f);
        EXPECT_EQ(segment(lines->getChild(1), i)->getNumChildren(), 1u);
    }
    EXPECT_EQ(segment(lines->getChild(1), 1)->getMatrix().getTrans().x(), 501100.0);
}

TEST_F(LineImport, ImportedLinesLandInTheMapsWorldFrameOrAsTheyAreWithoutASystem) {
    // A Shapefile without a system is taken in world coordinates.
    const fs::path file = dir / "mains.shp";
    {
        GDALAllRegister();
        GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("ESRI Shapefile");
        std::unique_ptr<GDALDataset> ds(driver->Create(file.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
        OGRLayer* shapes = ds->CreateLayer("mains", nullptr, wkbLineString, nullptr);
        OGRFeature feature(shapes->GetLayerDefn());
        OGRLineString line;
        line.addPoint(500000.0, 100.0);
        line.addPoint(500020.0, 100.0);
        line.addPoint(500020.0, 120.0);
        feature.SetGeometry(&line);
        ASSERT_EQ(shapes->CreateFeature(&feature), OGRERR_NONE);
    }
    viewer->mapNode->getMap()->setSRS(SpatialReference::create("EPSG:4547"));
    post("OpenLine:" + file.string() + ",1,1,1,0,1");
    ASSERT_TRUE(layer(file.string()) && layer(file.string())->getNumChildren() == 1u);
    EXPECT_EQ(segment(layer(file.string())->getChild(0), 1)->getMatrix().getTrans(),
              osg::Vec3d(500020.0, 100.0, 12.0 - 1.0));

    // A neighbouring projected zone is the world itself; under a geographic map the
    // world is geocentric.
    const SpatialReference* surveyed = SpatialReference::create("EPSG:4547");
    for (const char* system : {"EPSG:4548", "EPSG:4490"}) {
        const SpatialReference* map = SpatialReference::create(system);
        viewer->mapNode->getMap()->setSRS(map);
        post("OpenLine:" + survey + ",2,1,0,0,1");
        osg::Vec3d onMap, expected;
        ASSERT_TRUE(surveyed->transform(osg::Vec3d(500000.0, 3400000.0, 0.0), map, onMap));
        const double z = 10.0 + (onMap.x() - 500000.0) / 10.0 - 2.0;
        ASSERT_TRUE(surveyed->transform(osg::Vec3d(500000.0, 3400000.0, z), map->getWorldSRS(), expected));
        const osg::Vec3d placed = segment(layer(survey)->getChild(0), 0)->getMatrix().getTrans();
        EXPECT_NEAR((placed - expected).length(), 0.0, 1e-3) << system;
        post("Remove:" + survey);
    }
}

TEST_F(LineImport, FileThatCannotBeReadChangesNothingSaysWhyAndItsRemovalDoesNothing) {
    const unsigned before = viewer->getPipeGroup()->getNumChildren();
    const std::string missing = (dir / "nowhere.shp").string(), garbled = (dir / "garbled.geojson").string();
    std::ofstream(garbled) << "{\"type\": \"FeatureCollection\", \"features\": [";
    testing::internal::CaptureStderr();
    post("OpenLine:" + missing + ",1,1,0,0,1");
    post("OpenLine:" + garbled + ",1,1,0,0,1");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("\"" + missing + "\" not opened: no such file"), std::string::npos) << said;
    EXPECT_NE(said.find("\"" + garbled + "\" not opened: GDAL reads no vector layer"), std::string::npos)
        << said;
    EXPECT_TRUE(control->lineLayers.empty() && control->featureSources.empty());
    post("Remove:" + missing);
    EXPECT_EQ(viewer->getPipeGroup()->getNumChildren(), before);
}

// The file is read, placed and built on a worker whatever its size; until its layer
// arrives, "Visual:" is kept for it and "Remove:" cancels it.
TEST_F(LineImport, PendingFileLayersFollowLaterMessages) {
    control->postMessage("OpenLine:" + survey + ",1.5,0,0.5,1,1");
    viewer->frame();
    control->postMessage("Visual:no" + survey);
    settle();
    ASSERT_TRUE(layer(survey));
    EXPECT_EQ(layer(survey)->getNodeMask(), 0u) << "hidden while it was read";
    osg::ref_ptr<osg::Group> shown = layer(survey);
    control->postMessage("OpenLine:" + survey + ",3,0,0.5,1,1");
    viewer->frame();
    control->postRemoval("Remove:" + survey);
    settle();
    EXPECT_FALSE(layer(survey) || control->pendingLayers.count(survey));
    EXPECT_FALSE(viewer->getPipeGroup()->containsNode(shown.get()));
}

TEST_F(LineImport, OpenKmlLaysOneTubePerPointPairRaisedByTheOffsetWithJointsOfTheGivenRadius) {
    auto* points = new std::vector<osg::Vec3d>{
        {500000.0, 3400000.0, -3.0}, {500040.0, 3400000.0, -3.0}, {500040.0, 3400030.0, -4.0}};
    control->postMessageWithData(points, "OpenKml:route,2,0.25,1,0,0,1");
    viewer->frame();
    EXPECT_FALSE(control->getHandler()->hasPendingPoints()) << "the posted list is released after use";
    osg::Group* route = layer("route");
    ASSERT_TRUE(route && route->getNumChildren() == 2u) << "segment transforms directly under the layer";
    // The height offset moves along world z, nothing else.
    EXPECT_EQ(segment(route, 0)->getMatrix().getTrans(), osg::Vec3d(500000.0, 3400000.0, -1.0));
    EXPECT_EQ(segment(route, 1)->getMatrix().getTrans(), osg::Vec3d(500040.0, 3400000.0, -1.0));
    ASSERT_TRUE(segment(route, 0)->getNumChildren() == 1u && segment(route, 1)->getNumChildren() == 2u);
    const osg::ShapeDrawable* joint = shown<osg::ShapeDrawable>(*jointOf(segment(route, 1)), 0);
    EXPECT_FLOAT_EQ(static_cast<const osg::Capsule*>(joint->getShape())->getRadius(), 0.25f);
    EXPECT_EQ(joint->getColor(), osg::Vec4(1, 0, 0, 1));
    // Every vertex of a tube wall stands the radius off its axis and lies between its
    // ends, once placed: the second leg runs 30 m north and 1 m down.
    const auto& wall = *static_cast<const osg::Vec3Array*>(
        shown<osgModeling::Loft>(*tubesOf(segment(route, 1)), 0)->getVertexArray());
    const osg::Vec3d axis(0.0, 30.0, -1.0);
    for (const osg::Vec3& vertex : wall) {
        const osg::Vec3d placed = osg::Vec3d(vertex) * axisOf(segment(route, 1));
        const double along = placed * axis / axis.length2();
        EXPECT_NEAR((placed - axis * along).length(), 0.25, 1e-5);
        EXPECT_TRUE(along > -1e-6 && along < 1.0 + 1e-6) << along;
    }
}

// A route of 100,000 points is built off the frame thread and attached whole at a
// later frame; meanwhile its name can be hidden, replaced or removed. Past the limit
// nothing is built.
TEST_F(LineImport, LargeRoutesArriveLaterWholeAndPendingOnesFollowLaterMessages) {
    auto route = [](size_t n) {
        auto* points = new std::vector<osg::Vec3d>;
        for (size_t i = 0; i < n; ++i)
            points->emplace_back(500000.0 + 10.0 * i, 3400000.0 + (i % 2) * 5.0, -2.0);
        return points;
    };
    control->postMessageWithData(route(100000), "OpenKml:long,1,0.5,0,1,0,1");
    viewer->frame();
    control->postMessage("Visual:nolong");
    viewer->frame();
    EXPECT_FALSE(layer("long")) << "built while frames go on";
    settle();
    osg::Group* built = layer("long");
    ASSERT_TRUE(built);
    ASSERT_EQ(built->getNumChildren(), 99999u);
    EXPECT_TRUE(viewer->getPipeGroup()->containsNode(built));
    EXPECT_EQ(built->getNodeMask(), 0u) << "hidden while it was built";
    EXPECT_EQ(segment(built, 99998)->getMatrix().getTrans(),
              osg::Vec3d(500000.0 + 10.0 * 99998, 3400000.0, -1.0));
    // One set of tubes for the whole layer.
    std::set<const osg::Drawable*> tubes;
    for (unsigned i = 0; i < built->getNumChildren(); i += 97)
        tubes.insert(tubesOf(segment(built, i))->getChild(0)->asGeode()->getDrawable(0));
    EXPECT_EQ(tubes.size(), 1u);

    // Removed, or opened again smaller, before it arrives: it never does.
    control->postMessageWithData(route(5000), "OpenKml:gone,1,0.5,0,1,0,1");
    viewer->frame();
    control->postRemoval("Remove:gone");
    control->postMessageWithData(route(5000), "OpenKml:long,1,0.5,0,1,0,1");
    viewer->frame();
    control->postMessageWithData(route(3), "OpenKml:long,1,0.5,0,1,0,1");
    settle();
    EXPECT_FALSE(layer("gone"));
    ASSERT_TRUE(layer("long"));
    EXPECT_EQ(layer("long")->getNumChildren(), 2u) << "the latest open wins";

    testing::internal::CaptureStderr();
    control->postMessageWithData(route(LineLayerBuilder::MaxSegments + 2), "OpenKml:huge,1,0.5,0,1,0,1");
    viewer->frame();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(layer("huge") || control->pendingLayers.count("huge"));
    EXPECT_NE(said.find("\"huge\" refused: 1000001 segments"), std::string::npos) << said;
}
