#include "geo/OGRFeatureOptions.h"

namespace osgEarth {
namespace Drivers {
namespace {
bool isTrue(const std::string& text) {
    return text == "true" || text == "1" || text == "yes";
}
} // namespace

OGRFeatureOptions::OGRFeatureOptions(const Config& config)
    : FeatureSourceOptions(config), _url(config.value("url")),
      _buildSpatialIndex(isTrue(config.value("build_spatial_index"))),
      _openWrite(isTrue(config.value("open_write"))) {
    driver() = "ogr";
}

Config OGRFeatureOptions::getConfig() const {
    Config config = FeatureSourceOptions::getConfig();
    config.set("url", _url);
    config.set("build_spatial_index", _buildSpatialIndex ? "true" : "false");
    config.set("open_write", _openWrite ? "true" : "false");
    return config;
}

} // namespace Drivers
} // namespace osgEarth
