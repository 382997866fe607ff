#pragma once

#include "geo/Feature.h"
#include "geo/GeoExport.h"

#include <osg/Referenced>

namespace osgEarth {
namespace Features {

// Walks the features of a source once, in the source's order.
class GEO_EXPORT FeatureCursor : public osg::Referenced {
public:
    virtual bool hasMore() const = 0;
    // The next feature, or null when there is none.
    virtual Feature* nextFeature() = 0;

protected:
    ~FeatureCursor() override = default;
};

} // namespace Features
} // namespace osgEarth
