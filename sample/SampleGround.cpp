#include "sample/SampleGround.h"

#include "sample/SampleNetwork.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

namespace samplefiles {

namespace {

struct Rgb {
    unsigned char r, g, b;
};

const Rgb kAsphalt{78, 80, 84}, kMarking{235, 235, 225}, kPavement{182, 178, 168}, kGrass{96, 128, 72};
const Rgb kRoofs[] = {{168, 88, 68}, {96, 100, 112}, {204, 198, 186}, {122, 86, 60}, {108, 134, 134}};

// A little grain, the same for every run.
int grain(std::uint32_t x, std::uint32_t y) {
    std::uint32_t h = x * 374761393u + y * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<int>((h ^ (h >> 16)) % 11u) - 5;
}

// Along one axis: the nearest street centre line and the block (the gap between two
// streets, -1 before the first, n-1 after the last) a coordinate lies in.
struct Place {
    double offset = 1e300; // from the nearest centre line (signed)
    std::size_t street = 0;
    int block = -1;
    double from = 0, to = 0; // the block's edges (centre lines)
};

Place locate(const std::vector<double>& lines, double v) {
    Place place;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (std::abs(v - lines[i]) < std::abs(place.offset))
            place.offset = v - lines[i], place.street = i;
        if (v >= lines[i])
            place.block = static_cast<int>(i);
    }
    if (place.block >= 0 && place.block + 1 < static_cast<int>(lines.size())) {
        place.from = lines[place.block];
        place.to = lines[place.block + 1];
    } else
        place.block = -1; // outside the grid: fields
    return place;
}

struct GdalClose {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};

std::string srsWkt(const SampleNetwork& network, OGRSpatialReference& srs) {
    if (srs.SetFromUserInput(network.srs.c_str()) != OGRERR_NONE)
        return std::string();
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    char* wkt = nullptr;
    srs.exportToWkt(&wkt);
    std::string text = wkt ? wkt : "";
    CPLFree(wkt);
    return text;
}

} // namespace

double carriagewayHalfWidth(const SampleNetwork& network) {
    return 9.0 * network.streetScale;
}

double streetHalfWidth(const SampleNetwork& network) {
    return 16.0 * network.streetScale;
}

std::string writeOrthophoto(const SampleNetwork& network, const std::string& path) {
    const double width = network.xmax - network.xmin, height = network.ymax - network.ymin;
    const double pixel = std::max(0.5, std::max(width, height) / 2048.0);
    const int columns = std::max(1, static_cast<int>(std::ceil(width / pixel)));
    const int rows = std::max(1, static_cast<int>(std::ceil(height / pixel)));
    const double carriageway = carriagewayHalfWidth(network), street = streetHalfWidth(network);
    const double yard = 4.0 * network.streetScale, gap = 6.0 * network.streetScale;

    std::vector<Place> across(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c)
        across[c] = locate(network.streetXs, network.xmin + (c + 0.5) * pixel);
    std::vector<unsigned char> pixels(static_cast<std::size_t>(columns) * rows * 3);
    for (int r = 0; r < rows; ++r) {
        const double y = network.ymax - (r + 0.5) * pixel;
        const Place ns = locate(network.streetYs, y);
        for (int c = 0; c < columns; ++c) {
            const Place& ew = across[c];
            const double x = network.xmin + (c + 0.5) * pixel;
            const double nearest = std::min(std::abs(ew.offset), std::abs(ns.offset));
            Rgb colour = kGrass;
            int noise = grain(static_cast<std::uint32_t>(c), static_cast<std::uint32_t>(r));
            if (nearest < carriageway) {
                colour = kAsphalt;
                // A dashed centre line along a main street, not across the junctions.
                const bool alongX = std::abs(ew.offset) < std::abs(ns.offset);
                const double offset = alongX ? ew.offset : ns.offset, other = alongX ? ns.offset : ew.offset;
                const bool main = SampleNetwork::mainStreet(alongX ? ew.street : ns.street);
                if (main && std::abs(offset) < 0.25 * network.streetScale && std::abs(other) > street &&
                    std::fmod(std::abs(alongX ? y : x), 9.0) < 3.0)
                    colour = kMarking, noise = 0;
            } else if (nearest < street) {
                colour = kPavement;
            } else if (ew.block >= 0 && ns.block >= 0) {
                // Two buildings a block, side by side west and east, in a strip of yard.
                const double left = ew.from + street + yard, right = ew.to - street - yard;
                const double bottom = ns.from + street + yard, top = ns.to - street - yard;
                const double middle = (left + right) / 2;
                const bool inside =
                    x > left && x < right && y > bottom && y < top && std::abs(x - middle) > gap / 2;
                if (inside) {
                    const int house = ew.block * 2 + (x > middle ? 1 : 0) + ns.block * 7;
                    colour = kRoofs[static_cast<unsigned>(house) % 5u];
                    noise /= 2;
                }
            }
            unsigned char* out = &pixels[(static_cast<std::size_t>(r) * columns + c) * 3];
            out[0] = static_cast<unsigned char>(std::clamp(colour.r + noise, 0, 255));
            out[1] = static_cast<unsigned char>(std::clamp(colour.g + noise, 0, 255));
            out[2] = static_cast<unsigned char>(std::clamp(colour.b + noise, 0, 255));
        }
    }

    GDALAllRegister();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
    if (!driver)
        return "GDAL has no GeoTIFF driver";
    std::remove(path.c_str());
    const char* options[] = {"TILED=YES", "COMPRESS=DEFLATE", "ZLEVEL=1", "PHOTOMETRIC=RGB", nullptr};
    std::unique_ptr<GDALDataset, GdalClose> dataset(
        driver->Create(path.c_str(), columns, rows, 3, GDT_Byte, const_cast<char**>(options)));
    if (!dataset)
        return "cannot create " + path;
    double transform[6] = {network.xmin, pixel, 0, network.ymax, 0, -pixel};
    OGRSpatialReference srs;
    if (srsWkt(network, srs).empty())
        return "cannot read the coordinate system " + network.srs;
    dataset->SetGeoTransform(transform);
    dataset->SetSpatialRef(&srs);
    if (dataset->RasterIO(GF_Write, 0, 0, columns, rows, pixels.data(), columns, rows, GDT_Byte, 3, nullptr,
                          3, static_cast<GSpacing>(columns) * 3, 1, nullptr) != CE_None)
        return "cannot write " + path;
    dataset.reset();
    return std::string();
}

std::string writeRoads(const SampleNetwork& network, const std::string& path) {
    GDALAllRegister();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GeoJSON");
    if (!driver)
        return "GDAL has no GeoJSON driver";
    std::remove(path.c_str());
    std::unique_ptr<GDALDataset, GdalClose> dataset(
        driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    OGRSpatialReference srs;
    if (!dataset || srsWkt(network, srs).empty())
        return "cannot create " + path;
    OGRLayer* layer = dataset->CreateLayer("roads", &srs, wkbLineString, nullptr);
    OGRFieldDefn name("name", OFTString), kind("class", OFTString), width("width", OFTReal);
    if (!layer || layer->CreateField(&name) != OGRERR_NONE || layer->CreateField(&kind) != OGRERR_NONE ||
        layer->CreateField(&width) != OGRERR_NONE)
        return "cannot create the roads layer in " + path;
    auto add = [&](const std::string& title, bool main, double x0, double y0, double x1, double y1) {
        OGRFeature feature(layer->GetLayerDefn());
        feature.SetField("name", title.c_str());
        feature.SetField("class", main ? "main" : "street");
        feature.SetField("width", 2 * carriagewayHalfWidth(network));
        OGRLineString line;
        line.addPoint(x0, y0);
        line.addPoint(x1, y1);
        feature.SetGeometry(&line);
        return layer->CreateFeature(&feature) == OGRERR_NONE;
    };
    bool ok = true;
    for (std::size_t i = 0; i < network.streetXs.size(); ++i)
        ok &= add("North Street " + std::to_string(i + 1), SampleNetwork::mainStreet(i), network.streetXs[i],
                  network.ymin, network.streetXs[i], network.ymax);
    for (std::size_t j = 0; j < network.streetYs.size(); ++j)
        ok &= add("East Street " + std::to_string(j + 1), SampleNetwork::mainStreet(j), network.xmin,
                  network.streetYs[j], network.xmax, network.streetYs[j]);
    dataset.reset();
    return ok ? std::string() : "cannot write " + path;
}

} // namespace samplefiles
