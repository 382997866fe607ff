// Building line layers: tubes per second from a point list ("OpenKml:") and from a
// GeoJSON file of survey lines ("OpenLine:", reading and terrain lookup included); the
// memory a segment holds; and a 100,000-point route, and a file of 100,000 vertices,
// posted to the real control while the viewer draws frames: the time until the layer is
// attached and the longest frame.
#include "bench/Memory.h"
#include "modeling/LineLayerBuilder.h"
#include "plugin/CXPipeLineCtrl.h"

#include "geo/SpatialReference.h"

#include "Selmor/CXViewer.h"
#include "Selmor/ViewSetup.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <malloc.h>
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

size_t heapBytes() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Resident memory per segment of a layer kept alive, and the time to build it.
void SegmentMemory(benchmark::State& state) {
    const std::vector<osg::Vec3d> points = zigzag(static_cast<int>(state.range(0)) + 1);
    const LineLayerBuilder builder(0.5f, osg::Vec4f(0, 0, 1, 1));
    const double segments = static_cast<double>(state.range(0));
    double resident = 0.0, heap = 0.0;
    for (auto _ : state) {
        const long residentBefore = residentBytes();
        const size_t heapBefore = heapBytes();
        osg::ref_ptr<osg::Group> layer = builder.buildPointLayer(points, 1.0f);
        state.PauseTiming();
        heap = static_cast<double>(heapBytes() - heapBefore) / segments;
        // Only the first layer grows the process; later ones reuse the freed heap.
        if (resident == 0.0)
            resident = static_cast<double>(residentBytes() - residentBefore) / segments;
        layer = nullptr;
        state.ResumeTiming();
    }
    state.counters["resident bytes/segment"] = resident;
    state.counters["heap bytes/segment"] = heap;
}
BENCHMARK(SegmentMemory)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// A viewer drawing off-screen when there is a display (Xvfb), looking along the start of
// the lines, with the control initialised in it.
struct DrawingViewer {
    CXViewer viewer;
    bool drawn = false;
    CXPipeLineCtrl* control = CXPipeLineCtrl::getInstance();
    DrawingViewer() {
        osgViewer::View* view = viewer.getViewer();
        drawn = std::getenv("DISPLAY") && ViewSetup::offscreen(view, 320, 200);
        view->setCameraManipulator(nullptr);
        view->getCamera()->setViewMatrixAsLookAt(osg::Vec3d(500000.0, 3399700.0, 300.0),
                                                 osg::Vec3d(500300.0, 3400000.0, 0.0),
                                                 osg::Vec3d(0.0, 0.0, 1.0));
        control->initialize();
    }
    double timedFrame() {
        const auto start = std::chrono::steady_clock::now();
        viewer.frame();
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    // Runs `post`, then frames until the layer `name` is attached and a few after it (the
    // first to cull it), then removes it; the figures into `state`.
    template <class Post> void measure(benchmark::State& state, const std::string& name, Post post) {
        double longest = 0.0, toAttach = 0.0, removal = 0.0;
        for (auto _ : state) {
            post();
            const auto posted = std::chrono::steady_clock::now();
            do
                longest = std::max(longest, timedFrame());
            while (!control->lineLayers.count(name));
            toAttach =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - posted).count();
            for (int i = 0; i < 3; ++i)
                longest = std::max(longest, timedFrame());
            control->postRemoval("Remove:" + name);
            removal = std::max(removal, timedFrame());
        }
        state.counters["longest frame ms"] = longest;
        state.counters["to attach ms"] = toAttach;
        state.counters["removal frame ms"] = removal;
        state.counters["drawn"] = drawn ? 1.0 : 0.0;
    }
};

// The route posted as the host posts it; frames are drawn until it is attached.
void RouteWhileDrawing(benchmark::State& state) {
    DrawingViewer drawing;
    drawing.measure(state, "route", [&] {
        drawing.control->postMessageWithData(
            new std::vector<osg::Vec3d>(zigzag(static_cast<int>(state.range(0)))),
            "OpenKml:route,1,0.5,0,0,1,1");
    });
}
BENCHMARK(RouteWhileDrawing)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// A GeoJSON file in a temporary folder of `features` survey lines of `points` points
// each, in a projected system; removed with the object.
struct SurveyFile {
    std::string dir, file;
    SurveyFile(int features, int points) {
        char pattern[] = "/tmp/bench-lines-XXXXXX";
        if (!mkdtemp(pattern))
            return;
        dir = pattern;
        file = dir + "/lines.geojson";
        std::ofstream out(file);
        out << R"({"type": "FeatureCollection", "crs": {"type": "name", "properties": )"
            << R"({"name": "urn:ogc:def:crs:EPSG::4547"}}, "features": [)";
        for (int f = 0; f < features; ++f) {
            out << (f ? "," : "") << R"({"type": "Feature", "properties": {}, "geometry": )"
                << R"({"type": "LineString", "coordinates": [)";
            for (int i = 0; i < points; ++i)
                out << (i ? "," : "") << "[" << 500000 + 30 * i << "," << 3400000 + 50 * f + (i % 2) * 20
                    << "]";
            out << "]}}";
        }
        out << "]}";
    }
    ~SurveyFile() {
        if (dir.empty())
            return;
        std::remove(file.c_str());
        rmdir(dir.c_str());
    }
};

// A file of 100 lines of 1,000 points posted as "OpenLine:" under a projected map.
void FileWhileDrawing(benchmark::State& state) {
    const SurveyFile survey(100, static_cast<int>(state.range(0)) / 100);
    if (survey.dir.empty()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    DrawingViewer drawing;
    drawing.viewer.mapNode->getMap()->setSRS(osgEarth::SpatialReference::create("EPSG:4547"));
    drawing.measure(state, survey.file,
                    [&] { drawing.control->postMessage("OpenLine:" + survey.file + ",1.5,0,0,1,1"); });
    drawing.control->featureSources.clear();
}
BENCHMARK(FileWhileDrawing)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// 100 features of 10 points each, in a projected system.
void VectorFileLayer(benchmark::State& state) {
    const SurveyFile survey(100, 10);
    osg::ref_ptr<osgEarth::Features::FeatureSource> source =
        survey.dir.empty() ? nullptr : LineLayerBuilder::openSource(survey.file);
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
}
BENCHMARK(VectorFileLayer)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
