#pragma once

#include "geo/FeatureCursor.h"
#include "geo/FeatureProfile.h"
#include "geo/GeoExport.h"
#include "geo/ProgressCallback.h"
#include "geo/Status.h"

#include <osg/Referenced>

namespace osgEarth {
namespace Features {

// A source of vector features: opened once, then read by as many cursors as wanted.
class GEO_EXPORT FeatureSource : public osg::Referenced {
public:
    // Says why the source cannot be read; nothing else works until this succeeds.
    virtual Status open() = 0;
    // Null until the source has opened.
    virtual const FeatureProfile* getFeatureProfile() const = 0;
    // A new cursor over every feature, or null when the source is not open or can no
    // longer be read. The progress callback, if any, hears of each feature read.
    virtual FeatureCursor* createFeatureCursor(ProgressCallback* progress = nullptr) = 0;

protected:
    ~FeatureSource() override = default;
};

} // namespace Features
} // namespace osgEarth
