// Generates the sample district network: the database, the pipe.xml that points at it and
// what the host needs to show it (network.json).

#include "sample/SampleFiles.h"
#include "sample/SampleGround.h"
#include "sample/SampleNetwork.h"
#include "text/Number.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

namespace {
// On stdout with status 0 when asked for (--help), on stderr with status 2 otherwise.
int usage(const char* program, bool asked = false) {
    std::fprintf(asked ? stdout : stderr,
                 "usage: %s [--out DIR] [--segments N] [--seed S] [--size METRES] [--database sqlite|mdb]\n"
                 "  writes DIR/network.sqlite, DIR/network.mdb, DIR/pipe.xml (pointing at the one\n"
                 "  --database names, SQLite by default, with the orthophoto on its ground),\n"
                 "  DIR/network.json, DIR/orthophoto.tif (the district seen from above) and\n"
                 "  DIR/roads.geojson (its street centre lines); --size: how far the street grid\n"
                 "  spans each way (default: blocks of 120 m)\n",
                 program);
    return asked ? 0 : 2;
}

bool number(const char* text, unsigned long long& value) {
    char* end = nullptr;
    value = std::strtoull(text, &end, 10);
    return *text && *end == '\0' && text[0] != '-';
}

bool metres(const char* text, double& value) {
    return parseDecimal(text, value) && value > 0;
}
} // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    SampleOptions options;
    fs::path out = ".";
    std::string pointAt = "sqlite";
    for (int i = 1; i < argc; ++i) {
        unsigned long long value = 0;
        double width = 0;
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h"))
            return usage(argv[0], true);
        if (i + 1 >= argc)
            return usage(argv[0]);
        if (!std::strcmp(argv[i], "--out"))
            out = argv[++i];
        else if (!std::strcmp(argv[i], "--database") &&
                 (!std::strcmp(argv[i + 1], "sqlite") || !std::strcmp(argv[i + 1], "mdb")))
            pointAt = argv[++i];
        else if (!std::strcmp(argv[i], "--segments") && number(argv[i + 1], value) && value > 0)
            options.segments = static_cast<size_t>(value), ++i;
        else if (!std::strcmp(argv[i], "--size") && metres(argv[i + 1], width))
            options.size = width, ++i;
        else if (!std::strcmp(argv[i], "--seed") && number(argv[i + 1], value) && value <= 0xFFFFFFFFull)
            options.seed = static_cast<std::uint32_t>(value), ++i;
        else
            return usage(argv[0]);
    }
    std::error_code ec;
    fs::create_directories(out, ec);
    out = fs::absolute(out, ec);

    const auto t0 = std::chrono::steady_clock::now();
    const SampleNetwork network = SampleNetwork::generate(options);
    const std::string sqlite = (out / "network.sqlite").string(), mdb = (out / "network.mdb").string();
    const std::function<std::string()> steps[] = {
        [&] { return samplefiles::writeSqlite(network, sqlite); },
        [&] { return samplefiles::writeMdb(network, mdb); },
        [&] {
            return samplefiles::writePipeXml(network, (out / "pipe.xml").string(),
                                             pointAt == "mdb" ? mdb : sqlite, "orthophoto.tif");
        },
        [&] { return samplefiles::writeOrthophoto(network, (out / "orthophoto.tif").string()); },
        [&] { return samplefiles::writeRoads(network, (out / "roads.geojson").string()); },
        [&] { return samplefiles::writeHostInfo(network, (out / "network.json").string()); },
    };
    for (const auto& step : steps) {
        const std::string error = step();
        if (!error.empty()) {
            std::fprintf(stderr, "pn_make_sample: %s\n", error.c_str());
            return 1;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("%zu segments, %zu points in %s (%.1f s)\nsrs %s extent %.3f %.3f %.3f %.3f baseZ %.2f\n",
                network.segmentCount(), network.pointCount(), out.string().c_str(), seconds,
                network.srs.c_str(), network.xmin, network.ymin, network.xmax, network.ymax, network.baseZ);
    return 0;
}
