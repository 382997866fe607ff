// Building the 64 deepest tiles of the paged graph over a generated district (15 kinds,
// 300,000 segments and about as many points), once with the extent grids and once with
// the plain scans of every record of every layer for every tile, in one process. The
// loading of the records is done before any timing; so is the first building of the grids,
// which GridBuild measures on its own. Times are CPU times: the process builds on one
// thread, and the machines it runs on are shared; they are given per tile and per thousand
// of the segments the tiles hold. The last run builds all 64 tiles and holds them, and
// prints the resident memory they take and the process's peak. Run from any folder: the
// database and pipe.xml go to a temporary one, laid out like the host's (bin/ and the
// models beside it).
#include "bench/Memory.h"
#include "layers/DBPipe.h"
#include "layers/DBPoint.h"
#include "layers/extentPipeVisitor.h"
#include "layers/extentPointVisitor.h"
#include "modeling/ExtentGrid.h"
#include "plugin/CXPipeLineCtrl.h"
#include "sample/SampleFiles.h"
#include "sample/SampleNetwork.h"

#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"
#include "geo/Profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <osg/DisplaySettings>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr unsigned DeepestLevel = 3;

// The generated district, loaded into the control's layers, and the deepest tiles of the
// graph over it as the paged graph cuts them (its east and south edges closed).
class District {
public:
    District() {
        long residentAtStart = residentBytes();
        // One graphics context's slots in every drawable, as the host's viewer sets it.
        osg::DisplaySettings::instance()->setMaxNumberOfGraphicsContexts(1);
        SampleOptions options;
        options.segments = 300000;
        network = SampleNetwork::generate(options);
        // The models and textures the build wrote beside this program's folder.
        QString models =
            QFileInfo(QFileInfo("/proc/self/exe").canonicalFilePath()).dir().filePath("../model");
        QDir(folder.path()).mkdir("bin");
        if (!QFile::link(QFileInfo(models).canonicalFilePath(), folder.filePath("model")) ||
            chdir(QFile::encodeName(folder.filePath("bin")).constData()) != 0)
            throw std::runtime_error("cannot lay out the temporary folder");
        std::string database = folder.filePath("network.sqlite").toStdString();
        std::string failure = samplefiles::writeSqlite(network, database);
        if (failure.empty())
            failure = samplefiles::writePipeXml(network, "pipe.xml", database);
        if (!failure.empty())
            throw std::runtime_error(failure);
        g_playerManager->setTerrain(std::make_shared<FlatTerrain>(network.baseZ));

        CXPipeLineCtrl& control = *CXPipeLineCtrl::getInstance();
        control.initialize();
        for (auto& layer : control.pipeLayers) {
            segments += layer->segments().size();
            for (auto& category : layer->getPointCategories())
                points += category->getRecords().size();
        }

        osg::ref_ptr<osgEarth::Profile> profile =
            osgEarth::Profile::create(network.srs, network.xmin, network.ymin, network.xmax, network.ymax);
        if (!profile)
            throw std::runtime_error("no profile over the district");
        const unsigned side = 1u << DeepestLevel;
        for (unsigned x = 0; x < side; ++x)
            for (unsigned y = 0; y < side; ++y) {
                osgEarth::GeoExtent tile = profile->getTileExtent(DeepestLevel, x, y);
                double xMax = x + 1 == side ? std::nextafter(tile.xMax(), HUGE_VAL) : tile.xMax();
                double yMin = y + 1 == side ? std::nextafter(tile.yMin(), -HUGE_VAL) : tile.yMin();
                tiles.emplace_back(tile.getSRS(), tile.xMin(), yMin, xMax, tile.yMax());
            }
        // The grids are built by the first tile that needs them.
        select(tiles.front(), ExtentLookup::Indexed);
        for (const osgEarth::GeoExtent& tile : tiles)
            for (auto& layer : control.pipeLayers) {
                extentPipeVisitor pipes(tile, ExtentLookup::Indexed);
                layer->accept(pipes);
                tileSegments += pipes.getResult().size();
            }
        residentLoaded = static_cast<double>(residentBytes() - residentAtStart);
        std::fprintf(stderr,
                     "generated %zu segments and %zu points; loaded %zu segments and %zu category points\n",
                     network.segmentCount(), network.pointCount(), segments, points);
        // The viewer holds no generator: its copy of the network goes before the tiles are built.
        network = SampleNetwork();
        std::fprintf(stderr, "%zu tiles of %.0f x %.0f m, %.0f segments a tile\n", tiles.size(),
                     tiles.front().width(), tiles.front().height(),
                     static_cast<double>(tileSegments) / static_cast<double>(tiles.size()));
    }

    // What the extent visitors find in one tile over every layer and category.
    std::size_t select(const osgEarth::GeoExtent& tile, ExtentLookup lookup) {
        std::size_t found = 0;
        for (auto& layer : CXPipeLineCtrl::getInstance()->pipeLayers) {
            extentPipeVisitor pipes(tile, lookup);
            layer->accept(pipes);
            found += pipes.getResult().size();
            for (auto& category : layer->getPointCategories()) {
                extentPointVisitor points(tile, lookup);
                category->accept(points);
                found += points.getResult().size();
            }
        }
        return found;
    }

    QTemporaryDir folder;
    SampleNetwork network;
    std::vector<osgEarth::GeoExtent> tiles;
    std::size_t segments = 0, points = 0;
    // The segments of all tiles, those crossing a tile edge once per tile.
    std::size_t tileSegments = 0;
    // Resident growth from the generation to the selection of every category's points
    // and the first grids: the generated network, the loaded records, the categories.
    double residentLoaded = 0;
};

District& district() {
    static District instance;
    return instance;
}

// CPU seconds per tile, and what the loaded district holds.
void perTile(benchmark::State& state, std::size_t tiles) {
    state.counters["rss_MiB_loaded"] = district().residentLoaded / (1024.0 * 1024.0);
    state.counters["tile"] =
        benchmark::Counter(static_cast<double>(tiles),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The whole content of each tile, as the paged graph asks the control for it.
void TileContent(benchmark::State& state, ExtentLookup lookup) {
    District& city = district();
    setDefaultExtentLookup(lookup);
    std::size_t children = 0;
    for (auto _ : state)
        for (osgEarth::GeoExtent& tile : city.tiles) {
            osg::ref_ptr<osg::Group> content = CXPipeLineCtrl::getInstance()->createExtentNode(tile);
            children += content->getNumChildren();
        }
    benchmark::DoNotOptimize(children);
    setDefaultExtentLookup(ExtentLookup::Indexed);
    perTile(state, city.tiles.size());
    state.counters["thousand_segments"] =
        benchmark::Counter(static_cast<double>(city.tileSegments) / 1000.0,
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK_CAPTURE(TileContent, Indexed, ExtentLookup::Indexed)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TileContent, Scan, ExtentLookup::Scan)->Unit(benchmark::kMillisecond);

// Only the selection of each tile's records, without building their nodes.
void TileSelection(benchmark::State& state, ExtentLookup lookup) {
    District& city = district();
    std::size_t found = 0;
    for (auto _ : state)
        for (const osgEarth::GeoExtent& tile : city.tiles)
            found += city.select(tile, lookup);
    state.counters["records"] = static_cast<double>(found) / static_cast<double>(state.iterations());
    perTile(state, city.tiles.size());
}
BENCHMARK_CAPTURE(TileSelection, Indexed, ExtentLookup::Indexed)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TileSelection, Scan, ExtentLookup::Scan)->Unit(benchmark::kMillisecond);

// The grids of every segment list and category list of the district, built afresh.
void GridBuild(benchmark::State& state) {
    district();
    std::vector<std::vector<ExtentGrid::Box>> lists;
    for (auto& layer : CXPipeLineCtrl::getInstance()->pipeLayers) {
        std::vector<ExtentGrid::Box>& boxes = lists.emplace_back();
        for (const CPPipeLine& s : layer->segments())
            boxes.push_back({std::min(s.startX, s.endX), std::min(s.startY, s.endY),
                             std::max(s.startX, s.endX), std::max(s.startY, s.endY)});
        for (auto& category : layer->getPointCategories()) {
            std::vector<ExtentGrid::Box>& points = lists.emplace_back();
            for (const CPPoint* p : category->getRecords())
                points.push_back({p->x, p->y, p->x, p->y});
        }
    }
    for (auto _ : state)
        for (const auto& boxes : lists)
            benchmark::DoNotOptimize(ExtentGrid(boxes).size());
}
BENCHMARK(GridBuild)->Unit(benchmark::kMillisecond);

// All tiles built and held at once, as a viewer looking over the whole district from
// close up would hold them: the resident memory they take and the process's peak.
void AllTilesResident(benchmark::State& state) {
    District& city = district();
    for (auto _ : state) {
        std::vector<osg::ref_ptr<osg::Group>> held;
        const long before = residentBytes();
        for (osgEarth::GeoExtent& tile : city.tiles)
            held.emplace_back(CXPipeLineCtrl::getInstance()->createExtentNode(tile));
        const long holding = residentBytes();
        state.counters["held_MiB"] = static_cast<double>(holding - before) / (1024.0 * 1024.0);
        state.counters["resident_MiB"] = static_cast<double>(holding) / (1024.0 * 1024.0);
        state.counters["peak_MiB"] = static_cast<double>(peakResidentBytes()) / (1024.0 * 1024.0);
        std::fprintf(stderr, "%zu tiles held: %.0f MiB resident, %.0f MiB for the tiles, peak %.0f MiB\n",
                     held.size(), static_cast<double>(holding) / (1024.0 * 1024.0),
                     static_cast<double>(holding - before) / (1024.0 * 1024.0),
                     static_cast<double>(peakResidentBytes()) / (1024.0 * 1024.0));
    }
}
BENCHMARK(AllTilesResident)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
