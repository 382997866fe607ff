#pragma once

#include "geo/Config.h"
#include "geo/GeoExport.h"

#include <string>

namespace osgEarth {
namespace Features {

// What every feature source is configured with: which driver reads it, and a name.
class GEO_EXPORT FeatureSourceOptions {
public:
    explicit FeatureSourceOptions(const Config& config = Config());
    virtual ~FeatureSourceOptions() = default;

    std::string& driver() { return _driver; }
    const std::string& driver() const { return _driver; }
    std::string& name() { return _name; }
    const std::string& name() const { return _name; }

    // The configuration given, with the options' current values: a driver's own
    // options survive a pass through this base.
    virtual Config getConfig() const;

private:
    Config _config;
    std::string _driver;
    std::string _name;
};

} // namespace Features
} // namespace osgEarth
