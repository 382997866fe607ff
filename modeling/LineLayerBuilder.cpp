#include "modeling/LineLayerBuilder.h"

#include "geo/ElevationQuery.h"
#include "geo/FeatureSourceFactory.h"
#include "geo/OGRFeatureOptions.h"
#include "loft/Loft.h"

#include <osg/Geode>
#include <osg/LOD>
#include <osg/MatrixTransform>
#include <osg/ShapeDrawable>

#include <cmath>
#include <filesystem>

namespace {

osg::ref_ptr<osgModeling::Curve> circle(float radius, int stepDegrees) {
    osg::ref_ptr<osg::Vec3Array> points = new osg::Vec3Array;
    for (int a = 0; a <= 360; a += stepDegrees) {
        const float angle = static_cast<float>(osg::DegreesToRadians(static_cast<double>(a)));
        points->push_back(osg::Vec3(radius * std::cos(angle), radius * std::sin(angle), 0.0f));
    }
    osg::ref_ptr<osgModeling::Curve> curve = new osgModeling::Curve;
    curve->setPath(points.get());
    return curve;
}

osg::ref_ptr<osg::Geode> joint(const osg::Vec3& centre, float radius, const osg::Vec4f& color, float detail) {
    osg::ref_ptr<osg::TessellationHints> hints = new osg::TessellationHints;
    hints->setDetailRatio(detail);
    osg::ref_ptr<osg::ShapeDrawable> ball =
        new osg::ShapeDrawable(new osg::Capsule(centre, radius, 0.0f), hints.get());
    ball->setColor(color);
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(ball.get());
    return geode;
}

} // namespace

LineLayerBuilder::LineLayerBuilder(float radius, const osg::Vec4f& color)
    : _radius(radius), _color(color), _colors(new osg::Vec4dArray) {
    _colors->push_back(osg::Vec4d(color));
    _circles[0] = circle(radius, 10);
    _circles[1] = circle(radius, 20);
    _circles[2] = circle(radius, 60);
}

osg::ref_ptr<osgEarth::Features::FeatureSource> LineLayerBuilder::openSource(const std::string& url) {
    // Regular files only: a FIFO or a device would block the frame thread for good.
    // Names that are no file (GDAL's virtual paths) and missing files go to the driver.
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(url, ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        return nullptr;
    osgEarth::Drivers::OGRFeatureOptions options{osgEarth::Config()};
    options.name() = "pipeline";
    options.url() = url;
    options.buildSpatialIndex() = true;
    options.openWrite() = false;
    osg::ref_ptr<osgEarth::Features::FeatureSource> source =
        osgEarth::Features::FeatureSourceFactory::create(options);
    if (!source || source->open().isError())
        return nullptr;
    return source;
}

osg::ref_ptr<osg::Group> LineLayerBuilder::buildFeatureLayer(osgEarth::Features::FeatureSource& source,
                                                             float depth, const osgEarth::Map* map) const {
    using osgEarth::Symbology::Geometry;
    osg::ref_ptr<osg::Group> layer = new osg::Group;
    const osgEarth::Features::FeatureProfile* profile = source.getFeatureProfile();
    const osgEarth::SpatialReference* srs = profile ? profile->getSRS() : nullptr;
    // Imported lines join the network in the host's world frame: the map's projected
    // system as it stands, geocentric only under a geographic map.
    const osgEarth::SpatialReference* world = map ? map->getWorldSRS() : nullptr;
    osgEarth::ElevationQuery terrain(map);

    osg::ref_ptr<osgEarth::ProgressCallback> quiet = new osgEarth::ProgressCallback;
    osg::ref_ptr<osgEarth::Features::FeatureCursor> cursor = source.createFeatureCursor(quiet.get());
    while (cursor.valid() && cursor->hasMore()) {
        osg::ref_ptr<osgEarth::Features::Feature> feature = cursor->nextFeature();
        if (!feature)
            continue;
        osg::ref_ptr<osg::Group> featureGroup = new osg::Group;
        layer->addChild(featureGroup.get());
        const Geometry* geometry = feature->getGeometry();
        if (!geometry)
            continue;
        // Each part is its own chain: a pipe never bridges the gap between two lines
        // of one multi-line feature.
        for (const Geometry::Part& part : geometry->getParts()) {
            if (part.type == Geometry::POINTS)
                continue;
            std::vector<osg::Vec3d> points(part.points->begin(), part.points->end());
            if (!terrain.getElevations(points, srs, true, 0.0))
                continue;
            for (osg::Vec3d& p : points)
                p.z() -= depth;
            if (srs && !srs->transform(points, world))
                continue;
            addChain(*featureGroup, points);
        }
    }
    return layer;
}

osg::ref_ptr<osg::Group> LineLayerBuilder::buildPointLayer(const std::vector<osg::Vec3d>& points,
                                                           float heightOffset) const {
    std::vector<osg::Vec3d> raised = points;
    for (osg::Vec3d& p : raised)
        p.z() += heightOffset;
    osg::ref_ptr<osg::Group> layer = new osg::Group;
    addChain(*layer, raised);
    return layer;
}

void LineLayerBuilder::addChain(osg::Group& parent, const std::vector<osg::Vec3d>& points) const {
    for (size_t i = 0; i + 1 < points.size(); ++i)
        parent.addChild(createSegment(points[i], points[i + 1], i + 2 < points.size()).get());
}

osg::ref_ptr<osg::Node> LineLayerBuilder::createSegment(const osg::Vec3d& start, const osg::Vec3d& end,
                                                        bool innerEnd) const {
    // The tube is a small single-precision offset from its first point; the first
    // point itself is placed in double precision, so survey coordinates of millions of
    // metres stay exact.
    const osg::Vec3 d(end - start);
    osg::ref_ptr<osg::MatrixTransform> segment = new osg::MatrixTransform(osg::Matrixd::translate(start));

    osg::ref_ptr<osgModeling::Curve> path = new osgModeling::Curve;
    path->addPathPoint(osg::Vec3(0.0f, 0.0f, 0.0f));
    path->addPathPoint(d);
    osg::ref_ptr<osg::Geode> tubes[3];
    for (int i = 0; i < 3; ++i) {
        osg::ref_ptr<osgModeling::Loft> loft = new osgModeling::Loft;
        loft->setProfile(path.get());
        loft->addShape(_circles[i].get());
        loft->update(false);
        loft->setColorArray(_colors.get(), osg::Array::BIND_OVERALL);
        tubes[i] = new osg::Geode;
        tubes[i]->addDrawable(loft.get());
    }

    // Long segments are seen from further away, in proportion to their length.
    const float length = (d / 2.0f).length() * 2.0f;
    const bool longSegment = length > 50.0f;
    const float nearRange = longSegment ? 2.0f * length : 100.0f;
    const float middleRange = longSegment ? 16.0f * length : 800.0f;
    const float farRange = longSegment ? 128.0f * length : 6400.0f;
    osg::ref_ptr<osg::LOD> tubeLod = new osg::LOD;
    tubeLod->addChild(tubes[0].get(), 0.0f, nearRange);
    tubeLod->addChild(tubes[1].get(), nearRange, middleRange);
    tubeLod->addChild(tubes[2].get(), middleRange, farRange);
    segment->addChild(tubeLod.get());

    if (innerEnd) {
        osg::ref_ptr<osg::LOD> jointLod = new osg::LOD;
        jointLod->addChild(joint(d, _radius, _color, 1.0f).get(), 0.0f, 150.0f);
        jointLod->addChild(joint(d, _radius, _color, 0.4f).get(), 150.0f, 1000.0f);
        jointLod->setCenter(d);
        segment->addChild(jointLod.get());
    }
    return segment;
}
