#include "geo/OGRFeatureSource.h"

#include "text/GbkText.h"

#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <mutex>

namespace osgEarth {
namespace Drivers {

using Features::Feature;
using Features::FeatureProfile;
using Symbology::Geometry;

namespace {

struct CloseDataset {
    void operator()(GDALDataset* dataset) const { GDALClose(GDALDataset::ToHandle(dataset)); }
};
using DatasetPtr = std::unique_ptr<GDALDataset, CloseDataset>;

// Quietly: an unreadable file is reported through the status, not on the console.
DatasetPtr openDataset(const std::string& url, bool write) {
    static std::once_flag registered;
    std::call_once(registered, [] { GDALAllRegister(); });
    CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
    const unsigned flags = GDAL_OF_VECTOR | (write ? GDAL_OF_UPDATE : GDAL_OF_READONLY);
    return DatasetPtr(GDALDataset::Open(OGRFeatureSource::gdalPath(url).c_str(), flags));
}

osg::Vec3dArray* pointsOf(const OGRSimpleCurve& curve) {
    auto* points = new osg::Vec3dArray;
    points->reserve(static_cast<size_t>(std::max(0, curve.getNumPoints())));
    for (int i = 0; i < curve.getNumPoints(); ++i)
        points->push_back(osg::Vec3d(curve.getX(i), curve.getY(i), curve.getZ(i)));
    return points;
}

// Arcs are first cut into straight pieces; solids and surfaces of faces are not
// network lines and give no part.
void addParts(Geometry& geometry, const OGRGeometry& shape) {
    if (shape.hasCurveGeometry()) {
        std::unique_ptr<OGRGeometry> linear(shape.getLinearGeometry());
        if (linear && !linear->hasCurveGeometry())
            addParts(geometry, *linear);
        return;
    }
    switch (wkbFlatten(shape.getGeometryType())) {
    case wkbPoint: {
        const OGRPoint* point = shape.toPoint();
        if (!point->IsEmpty()) {
            osg::ref_ptr<osg::Vec3dArray> points = new osg::Vec3dArray;
            points->push_back(osg::Vec3d(point->getX(), point->getY(), point->getZ()));
            geometry.addPart(Geometry::POINTS, points.get());
        }
        break;
    }
    case wkbLineString:
        geometry.addPart(Geometry::LINE, pointsOf(*shape.toLineString()));
        break;
    case wkbPolygon:
    case wkbTriangle:
        for (const OGRLinearRing* ring : *shape.toPolygon())
            geometry.addPart(Geometry::RING, pointsOf(*ring));
        break;
    case wkbMultiPoint:
    case wkbMultiLineString:
    case wkbMultiPolygon:
    case wkbGeometryCollection:
        for (const OGRGeometry* member : *shape.toGeometryCollection())
            if (member)
                addParts(geometry, *member);
        break;
    default:
        break;
    }
}

osg::ref_ptr<Geometry> toGeometry(const OGRGeometry* shape) {
    if (!shape)
        return nullptr;
    osg::ref_ptr<Geometry> geometry = new Geometry;
    addParts(*geometry, *shape);
    return geometry->getParts().empty() ? nullptr : geometry;
}

class OGRFeatureCursor : public Features::FeatureCursor {
public:
    OGRFeatureCursor(DatasetPtr dataset, ProgressCallback* progress)
        : _dataset(std::move(dataset)), _layer(_dataset->GetLayer(0)), _progress(progress) {
        _layer->ResetReading();
        _total = static_cast<double>(std::max<GIntBig>(0, _layer->GetFeatureCount(FALSE)));
        fetch();
    }

    bool hasMore() const override { return _next.valid(); }

    Feature* nextFeature() override {
        if (!_next.valid())
            return nullptr;
        _returned = _next;
        ++_read;
        const bool cancel = _progress.valid() && _progress->reportProgress(_read, _total);
        if (cancel)
            _next = nullptr;
        else
            fetch();
        return _returned.get();
    }

protected:
    ~OGRFeatureCursor() override = default;

private:
    void fetch() {
        CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
        std::unique_ptr<OGRFeature> feature(_layer->GetNextFeature());
        _next =
            feature ? new Feature(feature->GetFID(), toGeometry(feature->GetGeometryRef()).get()) : nullptr;
    }

    DatasetPtr _dataset;
    OGRLayer* _layer;
    osg::ref_ptr<ProgressCallback> _progress;
    osg::ref_ptr<Feature> _next;
    // Keeps the feature last handed out alive for a caller holding a plain pointer.
    osg::ref_ptr<Feature> _returned;
    double _read = 0.0;
    double _total = 0.0;
};

} // namespace

struct OGRFeatureSource::Dataset {
    DatasetPtr dataset;
};

OGRFeatureSource::OGRFeatureSource(const OGRFeatureOptions& options) : _options(options) {}

OGRFeatureSource::~OGRFeatureSource() = default;

std::string OGRFeatureSource::gdalPath(const std::string& url) {
    std::string path = gbkToUtf8(url);
#if !defined(_WIN32)
    std::replace(path.begin(), path.end(), '\\', '/');
#endif
    return path;
}

Status OGRFeatureSource::open() {
    if (_dataset)
        return Status();
    if (_options.url().empty())
        return Status(Status::ConfigurationError, "no url given for the feature source");
    auto dataset = openDataset(_options.url(), _options.openWrite());
    if (!dataset)
        return Status(Status::ResourceUnavailable, "cannot open " + _options.url());
    OGRLayer* layer = dataset->GetLayerCount() > 0 ? dataset->GetLayer(0) : nullptr;
    if (!layer)
        return Status(Status::ResourceUnavailable, "no vector layer in " + _options.url());

    CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
    const SpatialReference* srs = nullptr;
    // An engineering system ("undefined cartesian") names no place on earth: such
    // coordinates are taken as the host world's, like those of a file without one.
    const OGRSpatialReference* layerSrs = layer->GetSpatialRef();
    if (layerSrs && !layerSrs->IsLocal()) {
        char* wkt = nullptr;
        if (layerSrs->exportToWkt(&wkt) == OGRERR_NONE && wkt)
            srs = SpatialReference::create(wkt);
        CPLFree(wkt);
    }
    OGREnvelope envelope;
    GeoExtent extent = layer->GetExtent(&envelope, TRUE) == OGRERR_NONE
                           ? GeoExtent(srs, envelope.MinX, envelope.MinY, envelope.MaxX, envelope.MaxY)
                           : GeoExtent(srs, 0.0, 0.0, -1.0, -1.0);
    if (_options.openWrite() && _options.buildSpatialIndex()) {
        const std::string sql = std::string("CREATE SPATIAL INDEX ON \"") + layer->GetName() + "\"";
        dataset->ReleaseResultSet(dataset->ExecuteSQL(sql.c_str(), nullptr, nullptr));
    }
    _profile = new FeatureProfile(extent);
    _dataset = std::make_unique<Dataset>();
    _dataset->dataset = std::move(dataset);
    return Status();
}

Features::FeatureCursor* OGRFeatureSource::createFeatureCursor(ProgressCallback* progress) {
    if (!_dataset)
        return nullptr;
    auto dataset = openDataset(_options.url(), false);
    if (!dataset || dataset->GetLayerCount() == 0)
        return nullptr;
    return new OGRFeatureCursor(std::move(dataset), progress);
}

} // namespace Drivers
} // namespace osgEarth
