#pragma once

#include "geo/GeoExport.h"

#include <osg/Referenced>

#include <atomic>

namespace osgEarth {

// Told how far a long read has come; may cancel it. The base reports nothing and
// never cancels.
class GEO_EXPORT ProgressCallback : public osg::Referenced {
public:
    // True asks the reader to stop.
    virtual bool reportProgress(double /*current*/, double /*total*/) { return isCanceled(); }
    void cancel() { _canceled = true; }
    bool isCanceled() const { return _canceled; }

protected:
    ~ProgressCallback() override = default;

private:
    std::atomic<bool> _canceled{false};
};

} // namespace osgEarth
