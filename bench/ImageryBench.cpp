// Laying a large orthophoto on the ground: a 40,000 pixel square GeoTIFF (0.5 m cells over
// 20 km, tiled, with overviews) read into the ground's picture at the texture limit
// (4096 pixels a side) and at 1024: the time, and the memory the process holds.
#include "app/GroundImagery.h"
#include "bench/Memory.h"

#include <benchmark/benchmark.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Full-resolution tiles left sparse (never written), overviews filled with a pattern: the
// file stays small while a reader that ignored the overviews would read 4.8 GB.
std::string largeOrthophoto() {
    static std::string path;
    if (!path.empty())
        return path;
    path = "/tmp/bench-large-ortho-" + std::to_string(getpid()) + ".tif";
    GDALAllRegister();
    const int side = 40000;
    const char* options[] = {"TILED=YES", "SPARSE_OK=TRUE", "BIGTIFF=YES", "COMPRESS=DEFLATE", nullptr};
    GDALDataset* dataset = GetGDALDriverManager()->GetDriverByName("GTiff")->Create(
        path.c_str(), side, side, 3, GDT_Byte, const_cast<char**>(options));
    OGRSpatialReference srs;
    srs.importFromEPSG(4547);
    dataset->SetSpatialRef(&srs);
    double transform[6] = {520000, 0.5, 0, 3400000, 0, -0.5};
    dataset->SetGeoTransform(transform);
    int factors[] = {2, 4, 8, 16, 32, 64};
    dataset->BuildOverviews("NONE", 6, factors, 0, nullptr, nullptr, nullptr);
    for (int level = 2; level < 6; ++level) // 5000 pixels a side and coarser
        for (int b = 1; b <= 3; ++b) {
            GDALRasterBand* overview = dataset->GetRasterBand(b)->GetOverview(level);
            const int w = overview->GetXSize(), h = overview->GetYSize();
            std::vector<unsigned char> row(static_cast<size_t>(w));
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x)
                    row[x] = static_cast<unsigned char>((x / 16 + y / 16) % 2 ? 60 * b : 200);
                if (overview->RasterIO(GF_Write, 0, y, w, 1, row.data(), w, 1, GDT_Byte, 0, 0) != CE_None)
                    std::fprintf(stderr, "cannot write the overviews of %s\n", path.c_str());
            }
        }
    GDALClose(dataset);
    return path;
}

void LargeOrthophoto(benchmark::State& state) {
    const std::string path = largeOrthophoto();
    const int side = static_cast<int>(state.range(0));
    const long before = residentBytes();
    long held = 0;
    int pixels = 0;
    for (auto _ : state) {
        std::vector<std::string> problems;
        GroundImagery imagery =
            GroundImagery::read({path}, "EPSG:4547", 520000, 3380000, 540000, 3400000, problems, side);
        held = residentBytes() - before;
        pixels = imagery.image ? imagery.image->s() : 0;
        benchmark::DoNotOptimize(imagery.image.get());
    }
    state.counters["picture side"] = pixels;
    state.counters["held MiB"] = static_cast<double>(held) / (1 << 20);
    state.counters["peak resident MiB"] = static_cast<double>(peakResidentBytes()) / (1 << 20);
}
BENCHMARK(LargeOrthophoto)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::remove(largeOrthophoto().c_str());
    return 0;
}
