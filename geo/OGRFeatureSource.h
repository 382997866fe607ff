#pragma once

#include "geo/FeatureSource.h"
#include "geo/GeoExport.h"
#include "geo/OGRFeatureOptions.h"

#include <osg/ref_ptr>

#include <memory>

namespace osgEarth {
namespace Drivers {

// Reads the first layer of anything GDAL/OGR opens. Each cursor opens the data source
// again for itself, so cursors never share OGR's reading state.
class OGRFeatureSource : public Features::FeatureSource {
public:
    explicit OGRFeatureSource(const OGRFeatureOptions& options);

    Status open() override;
    const Features::FeatureProfile* getFeatureProfile() const override { return _profile.get(); }
    Features::FeatureCursor* createFeatureCursor(ProgressCallback* progress = nullptr) override;

    // The data source name as GDAL takes it: UTF-8, native separators.
    static GEO_EXPORT std::string gdalPath(const std::string& url);

protected:
    ~OGRFeatureSource() override;

private:
    struct Dataset;
    OGRFeatureOptions _options;
    std::unique_ptr<Dataset> _dataset;
    osg::ref_ptr<Features::FeatureProfile> _profile;
};

} // namespace Drivers
} // namespace osgEarth
