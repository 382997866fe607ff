// Building line layers: tubes per second from a point list ("OpenKml:") and from a
// GeoJSON file of survey lines ("OpenLine:", reading and terrain lookup included).
#include "modeling/LineLayerBuilder.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

std::vector<osg::Vec3d> zigzag(int points) {
    std::vector<osg::Vec3d> line;
    for (int i = 0; i < points; ++i)
        line.emplace_back(500000.0 + 30.0 * i, 3400000.0 + (i % 2) * 20.0, -2.0);
    return line;
}

void PointListLayer(benchmark::State& state) {
    const std::vector<osg::Vec3d> points = zigzag(static_cast<int>(state.range(0)));
    const LineLayerBuilder builder(0.5f, osg::Vec4f(0, 0, 1, 1));
    for (auto _ : state)
        benchmark::DoNotOptimize(builder.buildPointLayer(points, 1.0f));
    state.counters["tubes/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * (points.size() - 1), benchmark::Counter::kIsRate);
}
BENCHMARK(PointListLayer)->Arg(1000)->Unit(benchmark::kMillisecond);

// 100 features of 10 points each, in a projected system.
void VectorFileLayer(benchmark::State& state) {
    char dir[] = "/tmp/bench-lines-XXXXXX";
    if (!mkdtemp(dir)) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string file = std::string(dir) + "/lines.geojson";
    {
        std::ofstream out(file);
        out << R"({"type": "FeatureCollection", "crs": {"type": "name", "properties": )"
            << R"({"name": "urn:ogc:def:crs:EPSG::4547"}}, "features": [)";
        for (int f = 0; f < 100; ++f) {
            out << (f ? "," : "") << R"({"type": "Feature", "properties": {}, "geometry": )"
                << R"({"type": "LineString", "coordinates": [)";
            for (int i = 0; i < 10; ++i)
                out << (i ? "," : "") << "[" << 500000 + 30 * i << "," << 3400000 + 50 * f + (i % 2) * 20
                    << "]";
            out << "]}}";
        }
        out << "]}";
    }
    osg::ref_ptr<osgEarth::Features::FeatureSource> source = LineLayerBuilder::openSource(file);
    if (!source) {
        state.SkipWithError("the file did not open");
        return;
    }
    const LineLayerBuilder builder(1.0f, osg::Vec4f(0, 0, 1, 1));
    osg::ref_ptr<osgEarth::Map> map = new osgEarth::Map(source->getFeatureProfile()->getSRS());
    for (auto _ : state)
        benchmark::DoNotOptimize(builder.buildFeatureLayer(*source, 1.5f, map.get()));
    state.counters["tubes/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 100 * 9, benchmark::Counter::kIsRate);
    std::remove(file.c_str());
    rmdir(dir);
}
BENCHMARK(VectorFileLayer)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
