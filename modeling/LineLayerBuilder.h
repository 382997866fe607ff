#pragma once

#include "geo/FeatureSource.h"
#include "geo/Map.h"
#include "loft/Curve.h"

#include <osg/Array>
#include <osg/Group>
#include <osg/Vec4f>
#include <osg/ref_ptr>

#include <string>
#include <vector>

// The tubes of a line layer: one straight tube per pair of consecutive points, each
// under its own transform placed in double precision at the pair's first point, at
// three levels of detail, with a ball joining the tubes at every inner vertex.
class LineLayerBuilder {
public:
    // The tube radius and colour of one layer; the three section circles and the
    // colour array are made here once and shared by all its tubes.
    LineLayerBuilder(float radius, const osg::Vec4f& color);

    // The vector source at `url` (GBK, any format GDAL reads), opened read-only; null
    // when it does not open.
    static osg::ref_ptr<osgEarth::Features::FeatureSource> openSource(const std::string& url);

    // One group per feature, in the source's order. Each line (each part of a
    // multi-line, each ring of a polygon) is laid on the terrain `depth` below the
    // surface and carried into the host's world frame; a feature without a line, or
    // one that cannot be placed on the map, keeps an empty group.
    osg::ref_ptr<osg::Group> buildFeatureLayer(osgEarth::Features::FeatureSource& source, float depth,
                                               const osgEarth::Map* map) const;
    // The tubes along world points raised by `heightOffset` along world z.
    osg::ref_ptr<osg::Group> buildPointLayer(const std::vector<osg::Vec3d>& points, float heightOffset) const;

    // Segment transforms for the chain p0..pn-1 into `parent`.
    void addChain(osg::Group& parent, const std::vector<osg::Vec3d>& points) const;

private:
    osg::ref_ptr<osg::Node> createSegment(const osg::Vec3d& start, const osg::Vec3d& end,
                                          bool innerEnd) const;

    float _radius;
    osg::Vec4f _color;
    osg::ref_ptr<osg::Vec4dArray> _colors;
    // Fine, medium and coarse sections: 36, 18 and 6 facets around.
    osg::ref_ptr<osgModeling::Curve> _circles[3];
};
