// Building the tees of one kind (20,000 tees on 40,000 water-supply segments read from a
// generated SQLite file): each tee finds the segments that start and end at its survey
// point through the layer's survey-number index, and again by walking every segment of
// the layer, as the described scan does. Run from any folder: the database and
// pipe.xml go to a temporary one.
#include "bench/GeneratedNetwork.h"
#include "bench/Memory.h"
#include "layers/Kinds.h"
#include "layers/SurveyNumberIndex.h"
#include "text/GbkText.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <osg/Node>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <malloc.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int Tees = 20000;

void insert(QSqlQuery& query, std::initializer_list<QVariant> values) {
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw std::runtime_error(qstringToGbk(query.lastError().text()));
}

// Mains along streets of 100 tees each; at every tee a service pipe branches off to a
// house connection, so each tee has the main arriving, the main leaving and the branch.
void generate(const std::string& path) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench-writer");
        db.setDatabaseName(gbkToQString(path));
        if (!db.open())
            throw std::runtime_error("cannot create the benchmark database");
        QSqlQuery query(db);
        for (const char* sql :
             {"PRAGMA journal_mode = OFF",
              "CREATE TABLE TQMB_JSPoint (GID TEXT, 物探点号 TEXT, X坐标 REAL, Y坐标 REAL, "
              "地面高程 REAL, 深度 REAL, 测点性质 TEXT, 附属设施 TEXT)",
              "CREATE TABLE TQMB_JSLine (GID TEXT, 起点物探号 TEXT, 终点物探号 TEXT, 起点埋深 "
              "REAL, 终点埋深 REAL, 材质 TEXT, 断面尺寸 TEXT)"})
            if (!query.exec(gbkToQString(sql)))
                throw std::runtime_error(qstringToGbk(query.lastError().text()));
        db.transaction();
        query.prepare("INSERT INTO TQMB_JSPoint VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        for (int i = 0; i < Tees; ++i) {
            double x = 400000.0 + (i % 100) * 30.0, y = 3500000.0 + (i / 100) * 40.0;
            std::string n = std::to_string(i);
            insert(query, {gbkToQString("T" + n), gbkToQString("JS" + n), x, y, 10.0, 1.2,
                           gbkToQString("三通"), QString()});
            insert(query, {gbkToQString("H" + n), gbkToQString("JH" + n), x, y + 12.0, 10.0, 0.8,
                           gbkToQString("直线点"), QString()});
        }
        query.prepare("INSERT INTO TQMB_JSLine VALUES (?, ?, ?, ?, ?, ?, ?)");
        for (int i = 0; i < Tees; ++i) {
            std::string n = std::to_string(i), next = std::to_string(i % 100 == 99 ? i - 99 : i + 1);
            insert(query, {gbkToQString("M" + n), gbkToQString("JS" + n), gbkToQString("JS" + next), 1.2, 1.2,
                           gbkToQString("球墨铸铁"), gbkToQString("300")});
            insert(query, {gbkToQString("B" + n), gbkToQString("JS" + n), gbkToQString("JH" + n), 1.2, 0.8,
                           gbkToQString("PE"), gbkToQString("110")});
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase("bench-writer");
}

// The generated network and its layer with the kind's tees, loaded once per run.
class Network {
public:
    Network() {
        layer = new DBJSPipe;
        tees = new DBJSSTPoint;
        layer->addPoint(tees.get());
        if (layer->segments().size() != 2u * Tees ||
            tees->getRecords().size() != static_cast<std::size_t>(Tees))
            throw std::runtime_error("the generated network did not load");
    }

    GeneratedNetwork files{generate};
    osg::ref_ptr<DBPipe> layer;
    osg::ref_ptr<DBJSSTPoint> tees;
};

Network& network() {
    static Network instance;
    return instance;
}

void buildTees(benchmark::State& state, SegmentLookup lookup) {
    Network& net = network();
    net.tees->setSegmentLookup(lookup);
    // The index is built by the first fitting that asks; that one-off cost is measured
    // on its own below.
    SurveyNumberIndex::of(*net.layer);
    std::int64_t drawn = 0;
    for (auto _ : state) {
        for (const CPPoint* tee : net.tees->getRecords()) {
            // LOD, transform at the tee, the arms' stubs and collars.
            osg::ref_ptr<osg::Node> node = net.tees->createNode(*tee);
            osg::Group* transform = node->asGroup()->getChild(0)->asGroup();
            if (transform->getNumChildren() == 1)
                drawn += transform->getChild(0)->asGroup()->getNumChildren() / 2;
        }
    }
    if (drawn != 3 * state.iterations() * Tees)
        state.SkipWithError("a tee was not drawn with its three arms");
    state.SetItemsProcessed(state.iterations() * Tees);
    state.counters["per_tee"] = benchmark::Counter(static_cast<double>(state.iterations()) * Tees,
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The memory the tees take while they are all held, as a tile holds its fittings: the
// resident and heap bytes the process grows by, per tee. It runs first, before the other
// runs leave freed memory behind (the first tee of a size also pays for the
// tessellation its size shares).
void TeesHeld(benchmark::State& state) {
    Network& net = network();
    net.tees->setSegmentLookup(SegmentLookup::Indexed);
    SurveyNumberIndex::of(*net.layer);
    for (auto _ : state) {
        std::vector<osg::ref_ptr<osg::Node>> held;
        held.reserve(Tees);
        const long before = residentBytes();
        const double heapBefore = static_cast<double>(mallinfo2().uordblks);
        for (const CPPoint* tee : net.tees->getRecords())
            held.emplace_back(net.tees->createNode(*tee));
        state.counters["rss_B_per_tee"] = static_cast<double>(residentBytes() - before) / Tees;
        state.counters["heap_B_per_tee"] = (static_cast<double>(mallinfo2().uordblks) - heapBefore) / Tees;
    }
}
BENCHMARK(TeesHeld)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void TeesThroughIndex(benchmark::State& state) {
    buildTees(state, SegmentLookup::Indexed);
}
BENCHMARK(TeesThroughIndex)->Unit(benchmark::kMillisecond)->UseRealTime();

void TeesThroughScan(benchmark::State& state) {
    buildTees(state, SegmentLookup::Scan);
}
BENCHMARK(TeesThroughScan)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BuildIndex(benchmark::State& state) {
    const std::list<CPPipeLine>& segments = network().layer->segments();
    for (auto _ : state)
        benchmark::DoNotOptimize(SurveyNumberIndex(segments));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(segments.size()));
}
BENCHMARK(BuildIndex)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
