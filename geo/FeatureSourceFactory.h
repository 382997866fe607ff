#pragma once

#include "geo/FeatureSource.h"
#include "geo/FeatureSourceOptions.h"
#include "geo/GeoExport.h"

namespace osgEarth {
namespace Features {

class GEO_EXPORT FeatureSourceFactory {
public:
    // A new, not yet opened source for the options' driver; null for a driver that
    // does not exist. Only "ogr" does.
    static FeatureSource* create(const FeatureSourceOptions& options);
};

} // namespace Features
} // namespace osgEarth
