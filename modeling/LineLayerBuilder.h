#pragma once

#include "geo/FeatureSource.h"
#include "geo/Map.h"
#include "loft/Loft.h"

#include <osg/Array>
#include <osg/Geode>
#include <osg/Group>
#include <osg/Vec4f>
#include <osg/ref_ptr>

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

// The tubes of a line layer: one straight tube per pair of consecutive points, at
// three levels of detail, with a ball joining the tubes at every inner vertex.
//
// The tubes and balls of one builder are made once and shared by all its segments: a
// tube of unit length along z, which each segment places under its own transform:
// translated in double precision to its first point, then turned onto its direction
// and stretched to its length (a stretch along the tube's axis leaves the wall's
// normals as they are). The ball of an inner vertex sits at the origin of the segment
// that starts there.
//
// A builder keeps the last geodes it handed out, so one builder serves one thread.
class LineLayerBuilder {
public:
    using Chain = std::vector<osg::Vec3d>;
    // Per feature, its chains (the parts of a multi-line, the rings of a polygon).
    using FeatureChains = std::vector<std::vector<Chain>>;

    // The most segments one layer may have; larger inputs are refused.
    static constexpr size_t MaxSegments = 1000000;

    // The tube radius and colour of one layer.
    LineLayerBuilder(float radius, const osg::Vec4f& color);

    // The vector source at `url` (GBK, any format GDAL reads), opened read-only; null
    // when it does not open, with the reason in `why`.
    static osg::ref_ptr<osgEarth::Features::FeatureSource> openSource(const std::string& url,
                                                                      std::string* why = nullptr);

    // The source's lines, each laid on the terrain `depth` below the surface and carried
    // into the host's world frame, one entry per feature in the source's order; a
    // feature without a line, or one that cannot be placed on the map, has none. Safe
    // off the frame thread: the terrain and the map's systems may be asked from any.
    // Stops early, with the features read so far, when `cancelled` is set.
    static FeatureChains readFeatures(osgEarth::Features::FeatureSource& source, float depth,
                                      const osgEarth::Map* map, const std::atomic<bool>* cancelled = nullptr);
    static size_t segmentCount(const FeatureChains& features);

    // One group per feature, holding its chains' segments. Null when `cancelled` was
    // set before the building finished.
    osg::ref_ptr<osg::Group> buildFeatures(const FeatureChains& features,
                                           const std::atomic<bool>* cancelled = nullptr) const;
    osg::ref_ptr<osg::Group> buildFeatureLayer(osgEarth::Features::FeatureSource& source, float depth,
                                               const osgEarth::Map* map) const;
    // The tubes along world points raised by `heightOffset` along world z, directly
    // under the layer. Null when cancelled.
    osg::ref_ptr<osg::Group> buildPointLayer(const std::vector<osg::Vec3d>& points, float heightOffset,
                                             const std::atomic<bool>* cancelled = nullptr) const;

    // Segment transforms for the chain p0..pn-1 into `parent`; false when cancelled.
    bool addChain(osg::Group& parent, const Chain& points,
                  const std::atomic<bool>* cancelled = nullptr) const;

    // The shared unit tubes (fine, medium, coarse) and balls (near, far).
    const osgModeling::Loft* tube(int level) const { return _tubes[level].get(); }
    const osg::Drawable* ball(int level) const { return _balls[level].get(); }

private:
    osg::ref_ptr<osg::Node> createSegment(const osg::Vec3d& start, const osg::Vec3d& end, bool joint) const;
    void renewGeodes() const;

    osg::ref_ptr<osgModeling::Loft> _tubes[3];
    osg::ref_ptr<osg::Drawable> _balls[2];
    osg::ref_ptr<osg::StateSet> _stretched;
    // Geodes over the shared drawables, renewed every few hundred segments so that no
    // node gathers a parent list as long as the layer (removing a parent is a search).
    mutable osg::ref_ptr<osg::Geode> _tubeGeodes[3], _ballGeodes[2];
    mutable unsigned _geodeUses = 0;
};
