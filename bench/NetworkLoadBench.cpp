// Loading a whole generated network (15 kinds, 300,000 points and 300,000 segments)
// from a SQLite file: rows per second through the loaders against the same queries
// through Qt alone, the memory the loaded records hold, and the thirty loads (points and
// segments of each kind) from several threads at once against one after another. Run
// from any folder: the database and pipe.xml go to a temporary one.
#include "bench/GeneratedNetwork.h"
#include "bench/Memory.h"
#include "database/DatabasePath.h"
#include "layers/Kinds.h"
#include "network/RecordLoader.h"
#include "plugin/CXPipeLineCtrl.h"
#include "text/GbkText.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <malloc.h>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int PointsPerKind = 20000;
constexpr int SegmentsPerKind = 20000;

// Category names of every kind, so each category has its share of the rows.
std::vector<std::string> categoryNames(const std::string& word) {
    std::vector<std::string> names;
    CXPipeLineCtrl& ctrl = *CXPipeLineCtrl::getInstance();
    auto range = ctrl.pointCreators.equal_range(word);
    for (auto creator = range.first; creator != range.second; ++creator) {
        osg::ref_ptr<DBPoint> category;
        creator->second(category);
        names.push_back(category->getName());
    }
    return names;
}

void run(QSqlQuery& query, const std::string& sql) {
    if (!query.exec(gbkToQString(sql)))
        throw std::runtime_error(qstringToGbk(query.lastError().text()));
}

// Streets of surveyed points along a grid; each kind's segments chain its points.
void generate(const std::string& path) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench-writer");
        db.setDatabaseName(gbkToQString(path));
        if (!db.open())
            throw std::runtime_error("cannot create the benchmark database");
        QSqlQuery query(db);
        run(query, "PRAGMA journal_mode = OFF");
        run(query, "PRAGMA synchronous = OFF");
        db.transaction();
        for (const UtilityKind& kind : UtilityKinds) {
            std::string code = kind.code;
            run(query, std::string("CREATE TABLE ") + kind.pointTable +
                           " (GID TEXT, 物探点号 TEXT, X坐标 REAL, Y坐标 REAL, 地面高程 REAL, 深度 REAL, "
                           "测点性质 TEXT, "
                           "附属设施 TEXT, 权属单位 TEXT, 备注 TEXT)");
            run(query,
                std::string("CREATE TABLE ") + kind.lineTable +
                    " (GID TEXT, 起点物探号 TEXT, 终点物探号 TEXT, 起点埋深 REAL, 终点埋深 REAL, 材质 TEXT, "
                    "断面尺寸 TEXT, 管线长度 REAL, 权属单位 TEXT, 备注 TEXT)");
            std::vector<std::string> natures = categoryNames(kind.folderWord);
            query.prepare(gbkToQString(std::string("INSERT INTO ") + kind.pointTable +
                                       " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
            for (int i = 0; i < PointsPerKind; ++i) {
                query.addBindValue(gbkToQString(code + "P" + std::to_string(i)));
                query.addBindValue(gbkToQString(code + std::to_string(i)));
                query.addBindValue(500000.0 + (i % 200) * 25.0);
                query.addBindValue(3100000.0 + (i / 200) * 25.0);
                query.addBindValue(12.0 + (i % 7) * 0.1);
                query.addBindValue(1.0 + (i % 5) * 0.3);
                query.addBindValue(gbkToQString(i % 3 ? "直线点" : natures[i % natures.size()]));
                query.addBindValue(gbkToQString(i % 3 ? natures[i % natures.size()] : ""));
                query.addBindValue(gbkToQString("市政管理处"));
                query.addBindValue(QVariant(QVariant::String));
                if (!query.exec())
                    throw std::runtime_error(qstringToGbk(query.lastError().text()));
            }
            query.prepare(gbkToQString(std::string("INSERT INTO ") + kind.lineTable +
                                       " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
            for (int i = 0; i < SegmentsPerKind; ++i) {
                int from = i % PointsPerKind, to = (i + 1) % PointsPerKind;
                query.addBindValue(gbkToQString(code + "L" + std::to_string(i)));
                query.addBindValue(gbkToQString(code + std::to_string(from)));
                query.addBindValue(gbkToQString(code + std::to_string(to)));
                query.addBindValue(1.2);
                query.addBindValue(1.4);
                query.addBindValue(gbkToQString("球墨铸铁"));
                query.addBindValue(gbkToQString(i % 4 ? "300" : "800X600"));
                query.addBindValue(25.0);
                query.addBindValue(gbkToQString("市政管理处"));
                query.addBindValue(QVariant(QVariant::String));
                if (!query.exec())
                    throw std::runtime_error(qstringToGbk(query.lastError().text()));
            }
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase("bench-writer");
}

// The generated network, made once per run in a temporary working folder.
using Network = GeneratedNetwork;

Network& network() {
    static Network instance(generate);
    return instance;
}

std::uint32_t packed(const UtilityKind& kind) {
    return kind.colour[0] + 256u * kind.colour[1] + 65536u * kind.colour[2];
}

double heapInUse() {
    return static_cast<double>(mallinfo2().uordblks);
}

void PointRows(benchmark::State& state) {
    network();
    std::size_t rows = 0;
    for (auto _ : state) {
        for (const UtilityKind& kind : UtilityKinds) {
            std::list<CPPoint> points;
            loadPointRows(kind.pointTable, points);
            rows += points.size();
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(rows));
}
BENCHMARK(PointRows)->Unit(benchmark::kMillisecond);

void SegmentRows(benchmark::State& state) {
    network();
    std::size_t rows = 0;
    for (auto _ : state) {
        for (const UtilityKind& kind : UtilityKinds) {
            std::list<CPPipeLine> segments;
            loadSegmentRows(segmentQuery(kind.lineTable, kind.pointTable), kind.layerName, packed(kind),
                            segments);
            rows += segments.size();
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(rows));
}
BENCHMARK(SegmentRows)->Unit(benchmark::kMillisecond);

// The loaders' thirty queries with every value fetched but no record built: what SQLite
// and Qt cost on their own. Returns the rows read.
std::size_t rawQueries() {
    std::size_t rows = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench-raw");
        db.setDatabaseName(gbkToQString(readDatabasePath()));
        db.open();
        for (const UtilityKind& kind : UtilityKinds) {
            for (const std::string& sql : {std::string("SELECT * FROM ") + kind.pointTable,
                                           segmentQuery(kind.lineTable, kind.pointTable)}) {
                QSqlQuery query(db);
                query.setForwardOnly(true);
                query.exec(gbkToQString(sql));
                const int columns = query.record().count();
                while (query.next()) {
                    for (int i = 0; i < columns; ++i)
                        benchmark::DoNotOptimize(query.value(i));
                    ++rows;
                }
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("bench-raw");
    return rows;
}

void QueryOnly(benchmark::State& state) {
    network();
    std::size_t rows = 0;
    for (auto _ : state)
        rows += rawQueries();
    state.SetItemsProcessed(static_cast<std::int64_t>(rows));
}
BENCHMARK(QueryOnly)->Unit(benchmark::kMillisecond);

// One of the thirty loads of a start: the points or the segments of a kind.
std::size_t load(std::size_t which) {
    const UtilityKind& kind = UtilityKinds[which / 2];
    if (which % 2 == 0) {
        std::list<CPPoint> points;
        loadPointRows(kind.pointTable, points);
        return points.size();
    }
    std::list<CPPipeLine> segments;
    loadSegmentRows(segmentQuery(kind.lineTable, kind.pointTable), kind.layerName, packed(kind), segments);
    return segments.size();
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The loaders against the raw queries on the same file, one pass of each per iteration:
// `x_query` is the loaders' time over the queries' time.
void LoadsAgainstQuery(benchmark::State& state) {
    network();
    double loading = 0, querying = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        for (std::size_t which = 0; which < 2 * KindCount; ++which)
            benchmark::DoNotOptimize(load(which));
        loading += secondsSince(start);
        start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(rawQueries());
        querying += secondsSince(start);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["load_ms"] = 1000 * loading / n;
    state.counters["query_ms"] = 1000 * querying / n;
    state.counters["x_query"] = loading / querying;
}
BENCHMARK(LoadsAgainstQuery)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// What the records of the whole network hold once loaded, per record: resident and heap.
void ResidentPerRecord(benchmark::State& state) {
    network();
    for (std::size_t which = 0; which < 2 * KindCount; ++which) // Qt and SQLite warmed up
        load(which);
    for (auto _ : state) {
        malloc_trim(0);
        const double resident = static_cast<double>(residentBytes()), heap = heapInUse();
        std::vector<std::list<CPPoint>> points(KindCount);
        std::vector<std::list<CPPipeLine>> segments(KindCount);
        std::size_t records = 0;
        for (std::size_t k = 0; k < KindCount; ++k) {
            const UtilityKind& kind = UtilityKinds[k];
            loadPointRows(kind.pointTable, points[k]);
            loadSegmentRows(segmentQuery(kind.lineTable, kind.pointTable), kind.layerName, packed(kind),
                            segments[k]);
            records += points[k].size() + segments[k].size();
        }
        state.counters["records"] = static_cast<double>(records);
        state.counters["rss_B_per_record"] =
            (static_cast<double>(residentBytes()) - resident) / static_cast<double>(records);
        state.counters["heap_B_per_record"] = (heapInUse() - heap) / static_cast<double>(records);
        state.counters["sizeof_point"] = sizeof(CPPoint);
        state.counters["sizeof_segment"] = sizeof(CPPipeLine);
    }
}
BENCHMARK(ResidentPerRecord)->Unit(benchmark::kMillisecond)->Iterations(1);

// The thirty loads shared out among `threads` threads, as the pager threads ask for them.
void ThirtyLoads(benchmark::State& state) {
    network();
    const int threads = static_cast<int>(state.range(0));
    std::size_t rows = 0;
    for (auto _ : state) {
        std::atomic<std::size_t> next{0}, loaded{0};
        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t)
            workers.emplace_back([&] {
                for (std::size_t which; (which = next++) < 2 * KindCount;)
                    loaded += load(which);
            });
        for (std::thread& worker : workers)
            worker.join();
        rows += loaded;
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(rows));
}
BENCHMARK(ThirtyLoads)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime();

template <class... Visitors> std::size_t cachedPoints() {
    return (Visitors::kindCache().records.size() + ...);
}

// The path the pager takes: every layer's segments and every category's points, each
// kind read once, as at the first tiles. Runs once: the kinds keep what they loaded.
// What is held is counted per loaded record (segment or point of a kind), the
// categories' selections of the points included.
void FirstLoadThroughLayers(benchmark::State& state) {
    network();
    CXPipeLineCtrl& ctrl = *CXPipeLineCtrl::getInstance();
    ctrl.initialize();
    double heapAtStart = heapInUse(), residentAtStart = static_cast<double>(residentBytes()),
           heapAfterSegments = 0;
    std::size_t segments = 0, selected = 0;
    for (auto _ : state) {
        for (auto& layer : ctrl.pipeLayers)
            segments += layer->segments().size();
        heapAfterSegments = heapInUse();
        for (auto& layer : ctrl.pipeLayers)
            for (auto& category : layer->getPointCategories())
                selected += category->getRecords().size();
    }
    std::size_t points =
        cachedPoints<PSPointVisitor, YSPointVisitor, WSPointVisitor, SYPointVisitor, JSPointVisitor,
                     RSPointVisitor, TRPointVisitor, YGPointVisitor, QGPointVisitor, GDPointVisitor,
                     LDPointVisitor, DXPointVisitor, DSPointVisitor, YDPointVisitor, JYPointVisitor>();
    const double MiB = 1024.0 * 1024.0;
    double heldResident = static_cast<double>(residentBytes()) - residentAtStart;
    double heldHeap = heapInUse() - heapAtStart;
    state.SetItemsProcessed(static_cast<std::int64_t>(points + segments));
    state.counters["points"] = static_cast<double>(points);
    state.counters["segments"] = static_cast<double>(segments);
    state.counters["category_records"] = static_cast<double>(selected);
    state.counters["heap_B_per_segment"] = (heapAfterSegments - heapAtStart) / static_cast<double>(segments);
    // The kinds' points and the categories' selections of them.
    state.counters["heap_B_per_point"] = (heapInUse() - heapAfterSegments) / static_cast<double>(points);
    state.counters["heap_MiB_held"] = heldHeap / MiB;
    // Resident once every category has selected its points.
    state.counters["rss_MiB_held"] = heldResident / MiB;
    state.counters["rss_B_per_record"] = heldResident / static_cast<double>(points + segments);
}
BENCHMARK(FirstLoadThroughLayers)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
