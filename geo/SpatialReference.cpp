#include "geo/SpatialReference.h"

#include <cpl_error.h>
#include <ogr_spatialref.h>

#include <climits>
#include <cmath>
#include <map>

namespace osgEarth {

struct SpatialReference::Impl {
    OGRSpatialReference srs;
    // One transformation per target system, made on first use. PROJ transformations
    // must not run on two threads at once, so each system's transforms are serialised.
    std::mutex transformMutex;
    std::map<const SpatialReference*, std::unique_ptr<OGRCoordinateTransformation>> transforms;
};

namespace {
std::mutex& registryMutex() {
    static std::mutex mutex;
    return mutex;
}
std::map<std::string, osg::ref_ptr<SpatialReference>>& registry() {
    static auto* srsByKey = new std::map<std::string, osg::ref_ptr<SpatialReference>>;
    return *srsByKey;
}
} // namespace

SpatialReference::SpatialReference(std::string init, std::unique_ptr<Impl> impl)
    : _init(std::move(init)), _impl(std::move(impl)) {}

SpatialReference::~SpatialReference() = default;

SpatialReference* SpatialReference::adopt(std::string key, std::unique_ptr<Impl> impl) {
    std::lock_guard<std::mutex> lock(registryMutex());
    osg::ref_ptr<SpatialReference>& slot = registry()[key];
    if (!slot)
        slot = new SpatialReference(std::move(key), std::move(impl));
    return slot.get();
}

SpatialReference* SpatialReference::create(const std::string& init) {
    {
        std::lock_guard<std::mutex> lock(registryMutex());
        auto it = registry().find(init);
        if (it != registry().end())
            return it->second.get();
    }
    if (init.empty())
        return nullptr;
    // Failures are reported by the null result, not on the console.
    CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
    auto impl = std::make_unique<Impl>();
    const char* const options[] = {"ALLOW_NETWORK_ACCESS=NO", "ALLOW_FILE_ACCESS=NO", nullptr};
    if (impl->srs.SetFromUserInput(init.c_str(), options) != OGRERR_NONE)
        return nullptr;
    impl->srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return adopt(init, std::move(impl));
}

std::string SpatialReference::getWKT() const {
    char* wkt = nullptr;
    _impl->srs.exportToWkt(&wkt);
    std::string result = wkt ? wkt : "";
    CPLFree(wkt);
    return result;
}

bool SpatialReference::isGeographic() const {
    return _impl->srs.IsGeographic() != 0;
}
bool SpatialReference::isProjected() const {
    return _impl->srs.IsProjected() != 0;
}
bool SpatialReference::isGeocentric() const {
    return _impl->srs.IsGeocentric() != 0;
}

bool SpatialReference::isEquivalentTo(const SpatialReference* other) const {
    return other && (other == this || _impl->srs.IsSame(&other->_impl->srs));
}

const SpatialReference* SpatialReference::getGeocentricSRS() const {
    if (isGeocentric())
        return this;
    std::call_once(_geocentricOnce, [this] {
        auto impl = std::make_unique<Impl>();
        std::unique_ptr<OGRSpatialReference> geographic(_impl->srs.CloneGeogCS());
        if (!geographic)
            return;
        impl->srs = *geographic;
        if (impl->srs.SetGeocCS("Geocentric") != OGRERR_NONE)
            return;
        impl->srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        std::string key = "geocentric:" + getWKT();
        _geocentric = adopt(std::move(key), std::move(impl));
    });
    return _geocentric.get();
}

const SpatialReference* SpatialReference::getWorldSRS() const {
    return isGeographic() ? getGeocentricSRS() : this;
}

bool SpatialReference::transform(const osg::Vec3d& in, const SpatialReference* to, osg::Vec3d& out) const {
    std::vector<osg::Vec3d> points{in};
    if (!transform(points, to))
        return false;
    out = points.front();
    return true;
}

bool SpatialReference::transform(std::vector<osg::Vec3d>& points, const SpatialReference* to) const {
    if (!to || to == this || points.empty())
        return true;
    if (points.size() > static_cast<size_t>(INT_MAX))
        return false;
    CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
    std::lock_guard<std::mutex> lock(_impl->transformMutex);
    std::unique_ptr<OGRCoordinateTransformation>& ct = _impl->transforms[to];
    if (!ct) {
        ct.reset(OGRCreateCoordinateTransformation(&_impl->srs, &to->_impl->srs));
        if (!ct) {
            _impl->transforms.erase(to);
            return false;
        }
    }
    const size_t n = points.size();
    std::vector<double> x(n), y(n), z(n);
    for (size_t i = 0; i < n; ++i) {
        x[i] = points[i].x();
        y[i] = points[i].y();
        z[i] = points[i].z();
    }
    std::vector<int> ok(n, 0);
    if (!ct->Transform(static_cast<int>(n), x.data(), y.data(), z.data(), nullptr, ok.data()))
        return false;
    // A point flagged as done may still come out as infinity or NaN.
    for (size_t i = 0; i < n; ++i)
        if (!ok[i] || !std::isfinite(x[i]) || !std::isfinite(y[i]) || !std::isfinite(z[i]))
            return false;
    for (size_t i = 0; i < n; ++i)
        points[i].set(x[i], y[i], z[i]);
    return true;
}

} // namespace osgEarth
