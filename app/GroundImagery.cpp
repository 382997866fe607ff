#include "GroundImagery.h"

#include "text/Number.h"

#include <gdal_alg.h>
#include <gdal_priv.h>
#include <gdal_utils.h>
#include <ogr_spatialref.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// GDAL's messages are kept for the reasons given, not printed as they come.
class QuietErrors {
public:
    QuietErrors() {
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~QuietErrors() { CPLPopErrorHandler(); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;
};

std::string gdalReason() {
    const char* message = CPLGetLastErrorMsg();
    return message && *message ? std::string(" (") + message + ")" : std::string();
}

struct DatasetCloser {
    void operator()(GDALDatasetH dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<void, DatasetCloser>;

// One raster to lay on the ground, opened and placed in the map's system.
struct Source {
    std::string path;
    Dataset dataset;
    bool ownSrs = true;      // false: taken to be in the map's system
    double box[4] = {};      // its footprint within the extent
    double resolution = 0.0; // its pixel size in map units
    std::vector<int> rgb;    // the warped bands that give red, green and blue (1-based)
    bool palette = false;
};

bool regularFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// Opens `path` and finds where it lies in the map's system; false with a reason.
bool place(Source& source, const std::string& mapWkt, const double extent[4], std::string& problem) {
    const std::string& path = source.path;
    if (!regularFile(path)) {
        problem = path + " is not a file that can be read";
        return false;
    }
    source.dataset.reset(
        GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
    auto* dataset = static_cast<GDALDataset*>(source.dataset.get());
    if (!dataset || dataset->GetRasterCount() < 1) {
        problem = path + " is not a raster GDAL reads" + gdalReason();
        return false;
    }
    double transform[6];
    const bool geoTransform = dataset->GetGeoTransform(transform) == CE_None;
    if (!geoTransform && dataset->GetGCPCount() < 3) {
        problem = path + " has no georeference (no geotransform, world file or control points)";
        return false;
    }
    source.ownSrs = (geoTransform ? dataset->GetSpatialRef() : dataset->GetGCPSpatialRef()) != nullptr;

    char** options = CSLSetNameValue(nullptr, "DST_SRS", mapWkt.c_str());
    if (!source.ownSrs)
        options = CSLSetNameValue(options, "SRC_SRS", mapWkt.c_str());
    void* transformer = GDALCreateGenImgProjTransformer2(dataset, nullptr, options);
    CSLDestroy(options);
    double suggested[6], footprint[4];
    int width = 0, height = 0;
    const bool placed =
        transformer && GDALSuggestedWarpOutput2(dataset, GDALGenImgProjTransform, transformer, suggested,
                                                &width, &height, footprint, 0) == CE_None;
    if (transformer)
        GDALDestroyGenImgProjTransformer(transformer);
    if (!placed || !(suggested[1] > 0) || !std::isfinite(suggested[1])) {
        problem = path + " cannot be placed in the map's coordinate system" + gdalReason();
        return false;
    }
    source.resolution = suggested[1];
    source.box[0] = std::max(footprint[0], extent[0]);
    source.box[1] = std::max(footprint[1], extent[1]);
    source.box[2] = std::min(footprint[2], extent[2]);
    source.box[3] = std::min(footprint[3], extent[3]);
    if (!(source.box[0] < source.box[2] && source.box[1] < source.box[3])) {
        problem = path + " lies outside the network's extent (it covers " + formatDecimal(footprint[0]) +
                  " " + formatDecimal(footprint[1]) + " " + formatDecimal(footprint[2]) + " " +
                  formatDecimal(footprint[3]) + " in the map's system)";
        return false;
    }

    // The bands that colour it: a palette, grey (with or without alpha), or red, green, blue.
    GDALRasterBand* first = dataset->GetRasterBand(1);
    source.palette = first->GetColorInterpretation() == GCI_PaletteIndex && first->GetColorTable();
    int count = dataset->GetRasterCount();
    if (count > 1 && dataset->GetRasterBand(count)->GetColorInterpretation() == GCI_AlphaBand)
        --count; // the warper takes a last alpha band as the source's mask
    int red = 0, green = 0, blue = 0;
    for (int b = 1; b <= count; ++b) {
        GDALColorInterp interp = dataset->GetRasterBand(b)->GetColorInterpretation();
        red = interp == GCI_RedBand && !red ? b : red;
        green = interp == GCI_GreenBand && !green ? b : green;
        blue = interp == GCI_BlueBand && !blue ? b : blue;
    }
    if (red && green && blue)
        source.rgb = {red, green, blue};
    else if (count >= 3)
        source.rgb = {1, 2, 3};
    else
        source.rgb = {1, 1, 1};
    return true;
}

// Warps `source` onto the picture's grid and lays it over `picture` (RGBA, south row first).
// The number of pixels it covers.
size_t lay(const Source& source, const std::string& mapWkt, const double box[4], int width, int height,
           osg::Image& picture, std::string& problem) {
    std::vector<std::string> args = {"-of",
                                     "MEM",
                                     "-t_srs",
                                     mapWkt,
                                     "-te",
                                     formatDecimal(box[0]),
                                     formatDecimal(box[1]),
                                     formatDecimal(box[2]),
                                     formatDecimal(box[3]),
                                     "-ts",
                                     std::to_string(width),
                                     std::to_string(height),
                                     "-r",
                                     source.palette ? "near" : "bilinear",
                                     "-dstalpha",
                                     "-wo",
                                     "DST_ALPHA_MAX=255",
                                     "-wm",
                                     "64"};
    if (!source.ownSrs) {
        args.push_back("-s_srs");
        args.push_back(mapWkt);
    }
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    GDALWarpAppOptions* options = GDALWarpAppOptionsNew(argv.data(), nullptr);
    GDALDatasetH input = source.dataset.get();
    int usageError = 0;
    Dataset warped(options ? GDALWarp("", nullptr, 1, &input, options, &usageError) : nullptr);
    GDALWarpAppOptionsFree(options);
    auto* dataset = static_cast<GDALDataset*>(warped.get());
    if (!dataset || dataset->GetRasterCount() < 2) {
        problem = source.path + " cannot be warped into the map's coordinate system" + gdalReason();
        return 0;
    }
    GDALRasterBand* alphaBand = dataset->GetRasterBand(dataset->GetRasterCount());
    const int bands = dataset->GetRasterCount() - 1;
    std::vector<int> rgb = source.rgb;
    for (int& b : rgb)
        b = std::min(b, bands);

    // Deeper rasters (16-bit orthophotos, heights) are stretched over the values they show.
    double low = 0.0, high = 255.0;
    GDALRasterBand* first = dataset->GetRasterBand(1);
    if (first->GetRasterDataType() != GDT_Byte && !source.palette) {
        low = 1e300, high = -1e300;
        for (int b : rgb) {
            double range[2] = {0, 0};
            if (dataset->GetRasterBand(b)->ComputeRasterMinMax(FALSE, range) == CE_None) {
                low = std::min(low, range[0]);
                high = std::max(high, range[1]);
            }
        }
        if (!(low < high))
            low = 0.0, high = std::max(1.0, high);
    }
    GDALColorTable* table = source.palette ? first->GetColorTable() : nullptr;

    size_t covered = 0;
    std::vector<float> row(static_cast<size_t>(width) * 4);
    for (int y = 0; y < height; ++y) {
        bool ok = alphaBand->RasterIO(GF_Read, 0, y, width, 1, &row[3 * width], width, 1, GDT_Float32, 0,
                                      0) == CE_None;
        for (int c = 0; c < 3 && ok; ++c)
            ok = dataset->GetRasterBand(rgb[c])->RasterIO(GF_Read, 0, y, width, 1, &row[c * width], width, 1,
                                                          GDT_Float32, 0, 0) == CE_None;
        if (!ok) {
            problem = source.path + " could not be read" + gdalReason();
            return 0;
        }
        unsigned char* out = picture.data(0, height - 1 - y); // the warped rows run from the north
        for (int x = 0; x < width; ++x, out += 4) {
            float alpha = std::clamp(row[3 * width + x] / 255.0f, 0.0f, 1.0f);
            float colour[3];
            if (table) {
                const GDALColorEntry* entry = table->GetColorEntry(static_cast<int>(row[x]));
                if (!entry)
                    alpha = 0.0f;
                else {
                    colour[0] = entry->c1, colour[1] = entry->c2, colour[2] = entry->c3;
                    alpha *= entry->c4 / 255.0f;
                }
            } else {
                for (int c = 0; c < 3; ++c)
                    colour[c] = static_cast<float>((row[c * width + x] - low) / (high - low) * 255.0);
            }
            if (alpha <= 0.0f)
                continue;
            ++covered;
            // Over what the earlier rasters laid there.
            for (int c = 0; c < 3; ++c)
                out[c] = static_cast<unsigned char>(
                    std::lround(std::clamp(colour[c], 0.0f, 255.0f) * alpha + out[c] * (1.0f - alpha)));
            out[3] = static_cast<unsigned char>(std::lround(255.0f * alpha + out[3] * (1.0f - alpha)));
        }
    }
    if (covered == 0)
        problem = source.path + " has no data over the network's extent";
    return covered;
}

} // namespace

GroundImagery GroundImagery::read(const std::vector<std::string>& files, const std::string& srs, double xmin,
                                  double ymin, double xmax, double ymax, std::vector<std::string>& problems,
                                  int maxSide) {
    GroundImagery result;
    if (files.empty())
        return result;
    GDALAllRegister();
    QuietErrors quiet;
    OGRSpatialReference map;
    char* wkt = nullptr;
    if (map.SetFromUserInput(srs.c_str()) != OGRERR_NONE || map.exportToWkt(&wkt) != OGRERR_NONE) {
        CPLFree(wkt);
        problems.push_back("the map's coordinate system \"" + srs + "\" cannot be read: no imagery is laid");
        result.failed = files.size();
        return result;
    }
    const std::string mapWkt = wkt;
    CPLFree(wkt);

    const double extent[4] = {xmin, ymin, xmax, ymax};
    std::vector<Source> sources;
    double box[4] = {xmax, ymax, xmin, ymin}, resolution = 1e300;
    for (const std::string& path : files) {
        Source source;
        source.path = path;
        std::string problem;
        if (!place(source, mapWkt, extent, problem)) {
            problems.push_back(problem);
            ++result.failed;
            continue;
        }
        if (!source.ownSrs)
            problems.push_back(path + " has no coordinate system of its own: taken to be the map's");
        box[0] = std::min(box[0], source.box[0]);
        box[1] = std::min(box[1], source.box[1]);
        box[2] = std::max(box[2], source.box[2]);
        box[3] = std::max(box[3], source.box[3]);
        resolution = std::min(resolution, source.resolution);
        sources.push_back(std::move(source));
    }
    if (sources.empty())
        return result;

    // The finest resolution asked for, as long as the picture stays within maxSide.
    const double width = box[2] - box[0], height = box[3] - box[1];
    resolution = std::max(resolution, std::max(width, height) / maxSide);
    const int columns = std::clamp(static_cast<int>(std::ceil(width / resolution - 1e-6)), 1, maxSide);
    const int rows = std::clamp(static_cast<int>(std::ceil(height / resolution - 1e-6)), 1, maxSide);
    osg::ref_ptr<osg::Image> picture = new osg::Image;
    picture->allocateImage(columns, rows, 1, GL_RGBA, GL_UNSIGNED_BYTE);
    if (!picture->data()) {
        problems.push_back("no memory for a picture of " + std::to_string(columns) + " x " +
                           std::to_string(rows) + " pixels: no imagery is laid");
        result.failed = files.size();
        return result;
    }
    std::fill_n(picture->data(), picture->getTotalSizeInBytes(), 0);
    size_t covered = 0;
    for (const Source& source : sources) {
        std::string problem;
        const size_t laid = lay(source, mapWkt, box, columns, rows, *picture, problem);
        covered += laid;
        if (!problem.empty())
            problems.push_back(problem);
        result.failed += laid == 0;
    }
    if (covered == 0)
        return result;
    result.image = picture;
    result.xmin = box[0], result.ymin = box[1], result.xmax = box[2], result.ymax = box[3];
    return result;
}
