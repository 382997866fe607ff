#include "database/DBConnection.h"

#include "database/AccessMirror.h"
#include "sample/MdbWriter.h"
#include "tests/db/DbFixture.h"
#include "text/GbkText.h"

#include <QDir>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

namespace {
using Value = MdbWriter::Value;

// A row as it reads in SQL, NULL apart from the empty text; or, exported, as
// `mdb-export -Q -d '|' -0 NULL` prints it: doubles to 16 significant digits, and
// NULL for an empty text as well.
std::string line(const std::vector<Value>& row, bool exported = false) {
    std::string out;
    for (const Value& v : row) {
        char number[32] = "NULL";
        if (const double* x = std::get_if<double>(&v))
            std::snprintf(number, sizeof number, exported ? "%.16g" : "%.17g", *x);
        const std::string* text = std::get_if<std::string>(&v);
        out += (out.empty() ? "" : "|") + (!text || (exported && text->empty()) ? std::string(number)
                                           : exported                           ? *text
                                                                                : "'" + *text + "'");
    }
    return out;
}

// The points of a rain water network as a survey team delivers them, with the usual
// gaps: elevations, depths and facilities missing, facilities left empty. Beside them
// an empty table. Returns the rows written.
std::vector<std::vector<Value>> writeAccess(const std::string& gbkPath, int n) {
    const MdbWriter::Type t = MdbWriter::Type::Text, d = MdbWriter::Type::Double;
    MdbWriter writer;
    EXPECT_EQ(writer.addTable("TQMB_YSPoint", {{"GID", t},
                                               {"物探点号", t},
                                               {"X坐标", d},
                                               {"Y坐标", d},
                                               {"地面高程", d},
                                               {"深度", d},
                                               {"测点性质", t},
                                               {"附属设施", t}}),
              0);
    EXPECT_EQ(writer.addTable("空表", {{"备注", t}}), 1);
    std::vector<std::vector<Value>> rows;
    for (int i = 0; i < n; ++i) {
        rows.push_back({std::to_string(i + 1), "YS" + std::to_string(i), 500000.0 + i * 7.25,
                        3500000.0 + i / 3.0, i % 5 ? Value(12.5 + i % 3) : Value(),
                        i % 6 ? Value(1.2 + i % 4 * 0.3) : Value(), std::string(i % 3 ? "直线点" : "三通"),
                        i % 4 ? Value(std::string(i % 4 == 1 ? "" : "雨水检修井")) : Value()});
        EXPECT_TRUE(writer.addRow(0, rows.back())) << writer.error();
    }
    EXPECT_TRUE(writer.save(gbkToUtf8(gbkPath))) << writer.error();
    return rows;
}

// A loader's reading of a query, as the loaders read: the column names, then every row.
std::vector<std::string> rowsOf(const std::string& path, const std::string& gbkSql) {
    DBConnection connection(path);
    EXPECT_TRUE(connection.open()) << path;
    QSqlQuery query; // made after open, on the default connection
    EXPECT_TRUE(query.prepare(gbkToQString(gbkSql)) && query.exec()) << gbkSql;
    std::vector<std::string> rows(1);
    for (int i = 0; i < query.record().count(); ++i)
        rows[0] += (i ? "|'" : "'") + qstringToGbk(query.record().fieldName(i)) + "'";
    while (query.next()) {
        std::vector<Value> row;
        for (int i = 0; i < query.record().count(); ++i) {
            const QVariant v = query.value(i);
            row.push_back(v.isNull()                     ? Value()
                          : v.type() == QVariant::Double ? Value(v.toDouble())
                                                         : Value(qstringToGbk(v.toString())));
        }
        rows.push_back(line(row));
    }
    connection.close();
    return rows;
}
} // namespace

TEST(NetworkDatabase, AccessAndSqliteFilesReadBackExactlyWhatWasWrittenAndAChangedAccessFileAnew) {
    DbFixture folder;
    ASSERT_TRUE(QDir().mkpath(gbkToQString(folder.path("管网 2024"))));
    const std::string access = folder.path("管网 2024/雨水 管网.mdb");
    const std::vector<std::vector<Value>> points = writeAccess(access, 600); // several data pages

    // mdbtools' own export, which knows nothing of the writer, reads the file as written...
    std::string exported = "GID|物探点号|X坐标|Y坐标|地面高程|深度|测点性质|附属设施\n";
    std::vector<std::string> read = {
        "'GID'|'物探点号'|'X坐标'|'Y坐标'|'地面高程'|'深度'|'测点性质'|'附属设施'"};
    for (const auto& row : points) {
        exported += line(row, true) + "\n";
        read.push_back(line(row));
    }
    const std::string command = "mdb-export -Q -d '|' -0 NULL '" + gbkToUtf8(access) + "' TQMB_YSPoint";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output(1 << 20, '\0'); // fread reads on to the end of the output
    output.resize(pipe ? std::fread(output.data(), 1, output.size(), pipe) : 0);
    EXPECT_TRUE(pipe && pclose(pipe) == 0) << command;
    EXPECT_EQ(output, gbkToUtf8(exported));
    // ...and so does the loaders' connection: every value with its type, NULL, the empty table.
    EXPECT_EQ(rowsOf(access, "SELECT * FROM TQMB_YSPoint"), read);
    EXPECT_EQ(rowsOf(access, "SELECT * FROM 空表"), std::vector<std::string>{"'备注'"});

    // An Access file is read once while it is unchanged; a new version saved under the
    // same name is read anew.
    std::string first, again, changed, error;
    ASSERT_TRUE(AccessMirror::attach(access, first, error)) << error;
    ASSERT_TRUE(AccessMirror::attach(access, again, error)) << error;
    EXPECT_EQ(again, first);
    writeAccess(access, 30);
    ASSERT_TRUE(AccessMirror::attach(access, changed, error)) << error;
    EXPECT_NE(changed, first);
    EXPECT_EQ(rowsOf(access, "SELECT * FROM TQMB_YSPoint").size(), 1u + 30);

    const std::string sqlite = folder.path("管网 2024/雨水 管网.sqlite");
    DbFixture::makeSqlite(sqlite, {"CREATE TABLE TQMB_YSPoint (GID TEXT, 深度 REAL, 附属设施 TEXT)",
                                   "INSERT INTO TQMB_YSPoint VALUES ('1', 1.5, NULL), ('2', NULL, '')"});
    EXPECT_EQ(rowsOf(sqlite, "SELECT * FROM TQMB_YSPoint"),
              (std::vector<std::string>{"'GID'|'深度'|'附属设施'", "'1'|1.5|NULL", "'2'|NULL|''"}));
    DBConnection connection(sqlite);
    ASSERT_TRUE(connection.open());
    // The survey's file is never written to.
    EXPECT_FALSE(QSqlQuery().exec(QStringLiteral("DELETE FROM TQMB_YSPoint")));
}

TEST(NetworkDatabase, UnreadableFilesFailWithTheDialogWordsAndAGoodOneStillOpensAfter) {
    DbFixture folder;
    const std::string good = folder.path("good.mdb");
    writeAccess(good, 400);
    std::ifstream in(gbkToUtf8(good), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::mt19937 random(7);
    std::string noise(bytes.size(), '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    ASSERT_TRUE(QDir().mkpath(gbkToQString(folder.path("folder.mdb"))));
    ASSERT_TRUE(QDir().mkpath(gbkToQString(folder.path("folder.db"))));

    // Cut short anywhere, even at a page boundary where no page is torn: rows would be lost.
    for (const auto& [name, content] : std::vector<std::pair<std::string, std::string>>{
             {"empty.mdb", ""},
             {"cut-last-page.mdb", bytes.substr(0, bytes.size() - 4096)},
             {"cut-last-byte.mdb", bytes.substr(0, bytes.size() - 1)},
             {"noise-after-header.accdb", bytes.substr(0, 4096) + noise.substr(4096)},
             {"noise.gpkg", noise.substr(0, 8192)},
             {"notes.txt", "GID,X\n"}}) {
        folder.write(name, content);
        expectOpenFails(folder.path(name));
    }
    // FIFOs are refused before any open: reading one would wait for a writer for good.
    for (const char* name : {"fifo.mdb", "fifo.sqlite"})
        ASSERT_EQ(::mkfifo(gbkToUtf8(folder.path(name)).c_str(), 0600), 0);
    for (const char* name :
         {"missing.mdb", "missing.sqlite", "folder.mdb", "folder.db", "fifo.mdb", "fifo.sqlite"})
        expectOpenFails(folder.path(name));
    expectOpenFails(""); // pipe.xml without "str"

    EXPECT_TRUE(DBConnection(good).open());
}

// mdbtools trusts the file it reads, and one wrong byte can crash it: it reads in a process
// of its own. Whatever becomes of that process, the open fails with the reason, the
// temporary copy is gone, and the next open tries again.
TEST(NetworkDatabase, AccessReaderThatFailsCrashesOrHangsOnlyFailsTheOpen) {
    DbFixture folder;
    ASSERT_TRUE(QDir().mkpath(gbkToQString(folder.path("tmp"))));
    const std::string previousTmp = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    setenv("TMPDIR", gbkToUtf8(folder.path("tmp")).c_str(), 1);

    // The table's definition (page 4) names row 7 of the usage maps' page, which has six.
    const std::string damaged = folder.path("damaged.mdb");
    writeAccess(damaged, 400);
    std::fstream(gbkToUtf8(damaged), std::ios::binary | std::ios::in | std::ios::out)
        .seekp(4 * 4096 + 55)
        .put(7);
    const int exported =
        std::system(("exec mdb-export '" + gbkToUtf8(damaged) + "' TQMB_YSPoint >/dev/null 2>&1").c_str());
    EXPECT_TRUE(WIFSIGNALED(exported)) << "mdb-export no longer crashes on it: " << exported;
    std::string uri, error;
    EXPECT_FALSE(AccessMirror::attach(damaged, uri, error));
    EXPECT_EQ(error, "Unreadable definition of table TQMB_YSPoint in \"" + damaged + "\"");
    expectOpenFails(damaged);

    // A reader that never ends (in a child of its own, which goes too), then one that crashes.
    const std::string good = folder.path("good.mdb");
    writeAccess(good, 30);
    folder.write("crash.sh", "#!/bin/sh\nkill -SEGV $$\n");
    folder.write("hang.sh", "#!/bin/sh\nsleep 60\n");
    for (const char* script : {"crash.sh", "hang.sh"})
        ASSERT_EQ(::chmod(gbkToUtf8(folder.path(script)).c_str(), 0700), 0);
    setenv("PN_ACCESS_READER", gbkToUtf8(folder.path("hang.sh")).c_str(), 1);
    setenv("PN_ACCESS_READER_SECONDS", "0.3", 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(AccessMirror::attach(good, uri, error));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(error, "The Access reader took longer than 0.3 s reading \"" + good + "\" and was stopped");
    setenv("PN_ACCESS_READER", gbkToUtf8(folder.path("crash.sh")).c_str(), 1);
    const std::string crashed = "The Access reader stopped on signal 11 reading \"" + good + "\"";
    EXPECT_FALSE(AccessMirror::attach(good, uri, error));
    EXPECT_EQ(error, crashed);
    unsetenv("PN_ACCESS_READER");
    unsetenv("PN_ACCESS_READER_SECONDS");

    // Out of time is tried again; a crash on the same file is not, until the file changes.
    EXPECT_FALSE(AccessMirror::attach(good, uri, error));
    EXPECT_EQ(error, crashed);
    writeAccess(good, 31);
    EXPECT_TRUE(AccessMirror::attach(good, uri, error)) << error;
    EXPECT_EQ(rowsOf(good, "SELECT count(*) FROM TQMB_YSPoint"),
              (std::vector<std::string>{"'count(*)'", "'31'"}));
    EXPECT_TRUE(QDir(gbkToQString(folder.path("tmp"))).isEmpty());
    if (previousTmp.empty())
        unsetenv("TMPDIR");
    else
        setenv("TMPDIR", previousTmp.c_str(), 1);
}
