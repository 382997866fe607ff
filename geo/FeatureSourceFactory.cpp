#include "geo/FeatureSourceFactory.h"

#include "geo/OGRFeatureSource.h"

namespace osgEarth {
namespace Features {

FeatureSource* FeatureSourceFactory::create(const FeatureSourceOptions& options) {
    if (options.driver() != "ogr")
        return nullptr;
    if (auto* ogr = dynamic_cast<const Drivers::OGRFeatureOptions*>(&options))
        return new Drivers::OGRFeatureSource(*ogr);
    return new Drivers::OGRFeatureSource(Drivers::OGRFeatureOptions(options.getConfig()));
}

} // namespace Features
} // namespace osgEarth
