#pragma once

#include "geo/FeatureSourceOptions.h"
#include "geo/GeoExport.h"

#include <string>

namespace osgEarth {
namespace Drivers {

// A vector file (or any source GDAL/OGR reads: Shapefile, GeoJSON, GeoPackage, KML,
// DXF, ...) as a feature source. The driver is always "ogr".
class GEO_EXPORT OGRFeatureOptions : public Features::FeatureSourceOptions {
public:
    explicit OGRFeatureOptions(const Config& config = Config());

    // The file or data source name, GBK like every path of the program; a
    // Windows-style relative path works on every platform.
    std::string& url() { return _url; }
    const std::string& url() const { return _url; }
    // Asked for, a source that is opened for writing gets a spatial index file. A
    // read-only source never writes one: the plug-in writes nothing to disk.
    bool& buildSpatialIndex() { return _buildSpatialIndex; }
    bool buildSpatialIndex() const { return _buildSpatialIndex; }
    bool& openWrite() { return _openWrite; }
    bool openWrite() const { return _openWrite; }

    Config getConfig() const override;

private:
    std::string _url;
    bool _buildSpatialIndex = false;
    bool _openWrite = false;
};

} // namespace Drivers
} // namespace osgEarth
