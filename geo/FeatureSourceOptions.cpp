#include "geo/FeatureSourceOptions.h"

namespace osgEarth {
namespace Features {

FeatureSourceOptions::FeatureSourceOptions(const Config& config)
    : _config(config), _driver(config.value("driver")), _name(config.value("name")) {}

Config FeatureSourceOptions::getConfig() const {
    Config config = _config.key().empty() ? Config("features") : _config;
    config.set("driver", _driver);
    config.set("name", _name);
    return config;
}

} // namespace Features
} // namespace osgEarth
