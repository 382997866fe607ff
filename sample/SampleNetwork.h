#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A synthetic but plausible district network: a grid of streets with the fifteen utility
// kinds laid along them at their usual offsets, depths and sizes, wells and fittings where
// the lines meet, equipment along them. The same options always give the same rows.
// Text fields are GBK, as the survey databases hold them.

struct SamplePointRow {
    std::string gid;
    std::string number; // survey point number, what the line rows refer to
    double x = 0, y = 0, ground = 0, depth = 0;
    std::string nature;   // 测点性质
    std::string facility; // 附属设施
};

struct SampleLineRow {
    std::string gid;
    std::string material;
    std::string start, end; // survey point numbers
    double startDepth = 0, endDepth = 0;
    std::string section; // "300" (diameter, mm) or "800X400" (width X height, mm)
};

struct SampleKindRows {
    std::string code; // "PS", "YS", ...
    std::vector<SamplePointRow> points;
    std::vector<SampleLineRow> lines;
};

struct SampleOptions {
    std::uint32_t seed = 1;
    // Line rows wanted over all kinds; the district grows until it holds at least this many.
    std::size_t segments = 3000;
    // How far the street grid spans each way, in metres; 0 keeps the usual 120 m blocks.
    // Blocks, survey spacing and street jitter follow the width; the kinds' offsets from
    // the street centre lines only grow with it, so small districts keep their layers apart.
    double size = 0;
};

class SampleNetwork {
public:
    static SampleNetwork generate(const SampleOptions& options);

    // What the host needs to show the network: a projected system in metres, the area the
    // points cover with a margin, and the height of the flat terrain the depths hang from.
    std::string srs = "EPSG:4547";
    double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
    double baseZ = 0;

    std::vector<SampleKindRows> kinds; // the fifteen kinds in the order of their codes

    // The street grid the kinds are laid along: the centre lines of the streets running
    // north-south (at x) and east-west (at y), west and south first; every fourth one, from
    // the first, is a main street. The kinds' offsets from the centre lines grow by
    // `streetScale`, and so does a street's width.
    std::vector<double> streetXs, streetYs;
    double streetScale = 1.0;
    static bool mainStreet(std::size_t index) { return index % 4 == 0; }

    std::size_t segmentCount() const;
    std::size_t pointCount() const;
};
