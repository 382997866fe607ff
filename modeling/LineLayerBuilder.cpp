#include "modeling/LineLayerBuilder.h"

#include "geo/ElevationQuery.h"
#include "geo/FeatureSourceFactory.h"
#include "geo/OGRFeatureOptions.h"
#include "geo/OGRFeatureSource.h"
#include "loft/Loft.h"
#include "modeling/TubeLod.h"

#include <osg/Geode>
#include <osg/LOD>
#include <osg/MatrixTransform>
#include <osg/PositionAttitudeTransform>
#include <osg/ShapeDrawable>

#include <algorithm>
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

osg::ref_ptr<osg::Drawable> jointBall(float radius, const osg::Vec4f& color, float detail) {
    osg::ref_ptr<osg::TessellationHints> hints = new osg::TessellationHints;
    hints->setDetailRatio(detail);
    osg::ref_ptr<osg::ShapeDrawable> drawable =
        new osg::ShapeDrawable(new osg::Capsule(osg::Vec3(), radius, 0.0f), hints.get());
    drawable->setColor(color);
    return drawable;
}

// Segments served by one set of geodes.
constexpr unsigned kSegmentsPerGeode = 256;

bool isCancelled(const std::atomic<bool>* cancelled) {
    return cancelled && cancelled->load(std::memory_order_relaxed);
}

} // namespace

LineLayerBuilder::LineLayerBuilder(float radius, const osg::Vec4f& color) : _stretched(new osg::StateSet) {
    osg::ref_ptr<osg::Vec4dArray> colors = new osg::Vec4dArray;
    colors->push_back(osg::Vec4d(color));
    osg::ref_ptr<osgModeling::Curve> axis = new osgModeling::Curve;
    axis->addPathPoint(osg::Vec3(0.0f, 0.0f, 0.0f));
    axis->addPathPoint(osg::Vec3(0.0f, 0.0f, 1.0f));
    const int steps[3] = {10, 20, 60}; // 36, 18 and 6 facets around
    for (int i = 0; i < 3; ++i) {
        _tubes[i] = new osgModeling::Loft;
        _tubes[i]->setProfile(axis.get());
        _tubes[i]->addShape(circle(radius, steps[i]).get());
        _tubes[i]->update(false);
        _tubes[i]->setColorArray(colors.get(), osg::Array::BIND_OVERALL);
    }
    _balls[0] = jointBall(radius, color, 1.0f);
    _balls[1] = jointBall(radius, color, 0.4f);
    // Lit right without the colour shader too: the stretch scales the normals of
    // anything not parallel to the wall.
    _stretched->setMode(GL_NORMALIZE, osg::StateAttribute::ON);
}

osg::ref_ptr<osgEarth::Features::FeatureSource> LineLayerBuilder::openSource(const std::string& url,
                                                                             std::string* why) {
    // Regular files only: a FIFO or a device would block the reading thread for good, and
    // with it the closing of the viewer that waits for it. Names that are no file (GDAL's
    // virtual paths) and missing files go to the driver.
    const std::filesystem::path native = osgEarth::Drivers::OGRFeatureSource::gdalPath(url);
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(native, ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        if (why)
            *why = "not a regular file";
        return nullptr;
    }
    osgEarth::Drivers::OGRFeatureOptions options{osgEarth::Config()};
    options.name() = "pipeline";
    options.url() = url;
    options.buildSpatialIndex() = true;
    options.openWrite() = false;
    osg::ref_ptr<osgEarth::Features::FeatureSource> source =
        osgEarth::Features::FeatureSourceFactory::create(options);
    if (!source || source->open().isError()) {
        if (why)
            *why =
                std::filesystem::exists(native, ec) ? "GDAL reads no vector layer from it" : "no such file";
        return nullptr;
    }
    return source;
}

LineLayerBuilder::FeatureChains LineLayerBuilder::readFeatures(osgEarth::Features::FeatureSource& source,
                                                               float depth, const osgEarth::Map* map,
                                                               const std::atomic<bool>* cancelled) {
    using osgEarth::Symbology::Geometry;
    FeatureChains features;
    const osgEarth::Features::FeatureProfile* profile = source.getFeatureProfile();
    const osgEarth::SpatialReference* srs = profile ? profile->getSRS() : nullptr;
    // Imported lines join the network in the host's world frame: the map's projected
    // system as it stands, geocentric only under a geographic map.
    const osgEarth::SpatialReference* world = map ? map->getWorldSRS() : nullptr;
    osgEarth::ElevationQuery terrain(map);

    if (isCancelled(cancelled))
        return features;
    osg::ref_ptr<osgEarth::ProgressCallback> quiet = new osgEarth::ProgressCallback;
    osg::ref_ptr<osgEarth::Features::FeatureCursor> cursor = source.createFeatureCursor(quiet.get());
    while (cursor.valid() && cursor->hasMore() && !isCancelled(cancelled)) {
        osg::ref_ptr<osgEarth::Features::Feature> feature = cursor->nextFeature();
        if (!feature)
            continue;
        std::vector<Chain>& chains = features.emplace_back();
        const Geometry* geometry = feature->getGeometry();
        if (!geometry)
            continue;
        // Each part is its own chain: a pipe never bridges the gap between two lines
        // of one multi-line feature.
        for (const Geometry::Part& part : geometry->getParts()) {
            if (part.type == Geometry::POINTS)
                continue;
            Chain points(part.points->begin(), part.points->end());
            if (!terrain.getElevations(points, srs, true, 0.0))
                continue;
            for (osg::Vec3d& p : points)
                p.z() -= depth;
            if (srs && !srs->transform(points, world))
                continue;
            chains.push_back(std::move(points));
        }
    }
    return features;
}

size_t LineLayerBuilder::segmentCount(const FeatureChains& features) {
    size_t count = 0;
    for (const std::vector<Chain>& chains : features)
        for (const Chain& chain : chains)
            count += chain.empty() ? 0 : chain.size() - 1;
    return count;
}

osg::ref_ptr<osg::Group> LineLayerBuilder::buildFeatures(const FeatureChains& features,
                                                         const std::atomic<bool>* cancelled) const {
    osg::ref_ptr<osg::Group> layer = new osg::Group;
    for (const std::vector<Chain>& chains : features) {
        osg::ref_ptr<osg::Group> featureGroup = new osg::Group;
        layer->addChild(featureGroup.get());
        for (const Chain& chain : chains)
            if (!addChain(*featureGroup, chain, cancelled))
                return nullptr;
    }
    return layer;
}

osg::ref_ptr<osg::Group> LineLayerBuilder::buildFeatureLayer(osgEarth::Features::FeatureSource& source,
                                                             float depth, const osgEarth::Map* map) const {
    return buildFeatures(readFeatures(source, depth, map));
}

osg::ref_ptr<osg::Group> LineLayerBuilder::buildPointLayer(const std::vector<osg::Vec3d>& points,
                                                           float heightOffset,
                                                           const std::atomic<bool>* cancelled) const {
    Chain raised = points;
    for (osg::Vec3d& p : raised)
        p.z() += heightOffset;
    osg::ref_ptr<osg::Group> layer = new osg::Group;
    if (!addChain(*layer, raised, cancelled))
        return nullptr;
    return layer;
}

bool LineLayerBuilder::addChain(osg::Group& parent, const Chain& points,
                                const std::atomic<bool>* cancelled) const {
    if (points.size() < 2)
        return !isCancelled(cancelled);
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        if (i % 1024 == 0 && isCancelled(cancelled))
            return false;
        parent.addChild(createSegment(points[i], points[i + 1], i > 0).get());
    }
    return true;
}

void LineLayerBuilder::renewGeodes() const {
    for (int i = 0; i < 3; ++i) {
        _tubeGeodes[i] = new osg::Geode;
        _tubeGeodes[i]->addDrawable(_tubes[i].get());
        _tubeGeodes[i]->setStateSet(_stretched.get());
    }
    for (int i = 0; i < 2; ++i) {
        _ballGeodes[i] = new osg::Geode;
        _ballGeodes[i]->addDrawable(_balls[i].get());
    }
    _geodeUses = 0;
}

osg::ref_ptr<osg::Node> LineLayerBuilder::createSegment(const osg::Vec3d& start, const osg::Vec3d& end,
                                                        bool joint) const {
    if (!_tubeGeodes[0] || _geodeUses >= kSegmentsPerGeode)
        renewGeodes();
    ++_geodeUses;

    // The first point is placed in double precision, so survey coordinates of millions
    // of metres stay exact; below it the unit tube is turned and stretched.
    const osg::Vec3d d = end - start;
    osg::ref_ptr<osg::MatrixTransform> segment = new osg::MatrixTransform(osg::Matrixd::translate(start));
    osg::ref_ptr<osg::PositionAttitudeTransform> axis = new osg::PositionAttitudeTransform;
    const double length = d.length();
    if (length > 0.0) {
        osg::Quat turn;
        turn.makeRotate(osg::Vec3d(0.0, 0.0, 1.0), d / length);
        axis->setAttitude(turn);
    }
    // A segment of no length keeps a sliver of one, so its frame can still be inverted.
    axis->setScale(osg::Vec3d(1.0, 1.0, std::max(length, 1e-6)));
    segment->addChild(axis.get());

    // Long segments are seen from further away, in proportion to their length. The
    // ranges are measured in the eye's frame, from the middle of the tube.
    const float rangeLength = (osg::Vec3(d) / 2.0f).length() * 2.0f;
    const bool longSegment = rangeLength > 50.0f;
    const float nearRange = longSegment ? 2.0f * rangeLength : 100.0f;
    const float middleRange = longSegment ? 16.0f * rangeLength : 800.0f;
    const float farRange = longSegment ? 128.0f * rangeLength : 6400.0f;
    osg::ref_ptr<TubeLod> tubeLod = new TubeLod;
    tubeLod->addChild(_tubeGeodes[0].get(), 0.0f, nearRange);
    tubeLod->addChild(_tubeGeodes[1].get(), nearRange, middleRange);
    tubeLod->addChild(_tubeGeodes[2].get(), middleRange, farRange);
    tubeLod->setCenter(osg::Vec3(0.0f, 0.0f, 0.5f));
    axis->addChild(tubeLod.get());

    if (joint) {
        osg::ref_ptr<osg::LOD> jointLod = new osg::LOD;
        jointLod->addChild(_ballGeodes[0].get(), 0.0f, 150.0f);
        jointLod->addChild(_ballGeodes[1].get(), 150.0f, 1000.0f);
        jointLod->setCenter(osg::Vec3());
        segment->addChild(jointLod.get());
    }
    return segment;
}
