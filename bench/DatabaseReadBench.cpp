// Reading a 100,000-row point table through DBConnection and a loader's QSqlQuery,
// from a SQLite file and from an Access file (first open: the file is read into its
// mirror; later opens: the mirror is reused), against mdbtools' own mdb-export of the
// same Access table to /dev/null. Goal: the Access path within twice mdb-export.
// Then two reads of the table on two threads' own connections, at once and in turn.
#include "database/DBConnection.h"
#include "sample/MdbWriter.h"
#include "text/GbkText.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QVariant>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>

namespace {
constexpr int Rows = 100000;

struct Files {
    QTemporaryDir dir;
    std::string access, sqlite; // GBK, as pipe.xml gives them

    Files() {
        access = qstringToGbk(dir.path()) + "/给水.mdb";
        sqlite = qstringToGbk(dir.path()) + "/给水.sqlite";
        using T = MdbWriter::Type;
        MdbWriter writer;
        const int table = writer.addTable("TQMB_JSPoint", {{"GID", T::Text},
                                                           {"物探点号", T::Text},
                                                           {"X坐标", T::Double},
                                                           {"Y坐标", T::Double},
                                                           {"地面高程", T::Double},
                                                           {"深度", T::Double},
                                                           {"测点性质", T::Text},
                                                           {"附属设施", T::Text},
                                                           {"权属单位", T::Text},
                                                           {"备注", T::Text}});
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench-writer");
            db.setDatabaseName(gbkToQString(sqlite));
            db.open();
            QSqlQuery query(db);
            query.exec(gbkToQString(
                "CREATE TABLE TQMB_JSPoint (GID TEXT, 物探点号 TEXT, X坐标 REAL, Y坐标 REAL, "
                "地面高程 REAL, 深度 REAL, 测点性质 TEXT, 附属设施 TEXT, 权属单位 TEXT, 备注 TEXT)"));
            db.transaction();
            query.prepare("INSERT INTO TQMB_JSPoint VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
            for (int i = 0; i < Rows; ++i) {
                const std::vector<MdbWriter::Value> row = {"JS" + std::to_string(i),
                                                           "J" + std::to_string(100000 + i),
                                                           500000.0 + (i % 300) * 12.5,
                                                           3100000.0 + (i / 300) * 12.5,
                                                           12.0 + (i % 7) * 0.1,
                                                           1.0 + (i % 5) * 0.3,
                                                           std::string(i % 3 ? "直通点" : "三通"),
                                                           std::string(i % 4 ? "" : "阀门井"),
                                                           std::string("市自来水公司"),
                                                           i % 10 ? MdbWriter::Value()
                                                                  : std::string("2019年复测")};
                if (!writer.addRow(table, row))
                    throw std::runtime_error(writer.error());
                for (const auto& v : row) {
                    if (const double* x = std::get_if<double>(&v))
                        query.addBindValue(*x);
                    else if (const std::string* s = std::get_if<std::string>(&v))
                        query.addBindValue(gbkToQString(*s));
                    else
                        query.addBindValue(QVariant(QVariant::String));
                }
                query.exec();
            }
            db.commit();
        }
        QSqlDatabase::removeDatabase("bench-writer");
        if (!writer.save(gbkToUtf8(access)))
            throw std::runtime_error(writer.error());
    }
};

Files& files() {
    static Files f;
    return f;
}

// Every column of every row of an executed query; the rows read.
int64_t fetchAll(QSqlQuery& query) {
    const int columns = query.record().count();
    int64_t rows = 0;
    while (query.next()) {
        for (int i = 0; i < columns; ++i)
            benchmark::DoNotOptimize(query.value(i));
        ++rows;
    }
    return rows;
}

// What a point loader does with its connection: every column of every row.
int64_t readAll(const std::string& path) {
    DBConnection connection(path);
    if (!connection.open())
        throw std::runtime_error("cannot open " + path);
    QSqlQuery query;
    query.prepare("SELECT * FROM TQMB_JSPoint");
    query.exec();
    const int64_t rows = fetchAll(query);
    connection.close();
    return rows;
}

void SqliteFile(benchmark::State& state) {
    files();
    for (auto _ : state)
        benchmark::DoNotOptimize(readAll(files().sqlite));
    state.SetItemsProcessed(state.iterations() * Rows);
}

// A new modification time makes each open read the whole file again.
void AccessFileFirstOpen(benchmark::State& state) {
    const std::string native = gbkToUtf8(files().access);
    for (auto _ : state) {
        state.PauseTiming();
        utimensat(AT_FDCWD, native.c_str(), nullptr, 0);
        state.ResumeTiming();
        benchmark::DoNotOptimize(readAll(files().access));
    }
    state.SetItemsProcessed(state.iterations() * Rows);
}

void AccessFileReopened(benchmark::State& state) {
    readAll(files().access);
    for (auto _ : state)
        benchmark::DoNotOptimize(readAll(files().access));
    state.SetItemsProcessed(state.iterations() * Rows);
}

void MdbExportToDevNull(benchmark::State& state) {
    const std::string command = "mdb-export '" + gbkToUtf8(files().access) + "' TQMB_JSPoint > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("mdb-export failed");
    state.SetItemsProcessed(state.iterations() * Rows);
}
// What a loader does on its own thread's connection.
int64_t readOnThread(const std::string& path) {
    ThreadConnection connection(path);
    if (!connection.open())
        throw std::runtime_error("cannot open " + path);
    QSqlQuery query(connection.database());
    query.setForwardOnly(true);
    query.exec("SELECT * FROM TQMB_JSPoint");
    return fetchAll(query);
}

// Two reads of the table (0: the SQLite file, 1: the Access file) on two threads, at
// once (second argument 1) or one thread after the other (0).
void TwoThreadsReading(benchmark::State& state) {
    const std::string& path = state.range(0) ? files().access : files().sqlite;
    const bool atOnce = state.range(1) != 0;
    std::thread([&] { readOnThread(path); }).join(); // the mirror made, the file cached
    for (auto _ : state) {
        std::thread one([&] { readOnThread(path); });
        if (!atOnce)
            one.join();
        std::thread two([&] { readOnThread(path); });
        if (atOnce)
            one.join();
        two.join();
    }
    state.SetItemsProcessed(state.iterations() * 2 * Rows);
}
} // namespace

// Wall-clock time: mdb-export runs in a child process.
BENCHMARK(SqliteFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(AccessFileFirstOpen)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(AccessFileReopened)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MdbExportToDevNull)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TwoThreadsReading)
    ->ArgNames({"access", "at_once"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_MAIN();
