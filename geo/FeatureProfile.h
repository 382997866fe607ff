#pragma once

#include "geo/GeoExtent.h"

#include <osg/Referenced>

namespace osgEarth {
namespace Features {

// What a vector layer covers, in its own coordinate system (null when the file names
// none: its coordinates are then taken as the host world's).
class FeatureProfile : public osg::Referenced {
public:
    explicit FeatureProfile(const GeoExtent& extent) : _extent(extent) {}

    const GeoExtent& getExtent() const { return _extent; }
    const SpatialReference* getSRS() const { return _extent.getSRS(); }

protected:
    ~FeatureProfile() override = default;

private:
    GeoExtent _extent;
};

} // namespace Features
} // namespace osgEarth
