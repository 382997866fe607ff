#include "importer/NetworkImport.h"
#include "network/UtilityKind.h"
#include "sample/SampleFiles.h"
#include "sample/SampleNetwork.h"
#include "text/GbkText.h"

#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path freshFolder(const std::string& name) {
    const fs::path folder = fs::temp_directory_path() / (name + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

// A connection of the test's own to a database, gone with it.
class Db {
public:
    explicit Db(const std::string& where) : name(QStringLiteral("import-test-%1").arg(++serial)) {
        if (where.rfind("postgresql://", 0) == 0) {
            // postgresql://user@host:port/dbname, as the test's environment gives it
            const QString text = QString::fromLatin1(where.c_str()).mid(13);
            const QString authority = text.section('/', 0, 0), host = authority.section('@', -1);
            db = QSqlDatabase::addDatabase("QPSQL", name);
            if (authority.contains('@'))
                db.setUserName(authority.section('@', 0, 0));
            db.setHostName(host.section(':', 0, 0));
            if (host.contains(':'))
                db.setPort(host.section(':', 1).toInt());
            db.setDatabaseName(text.section('/', 1));
        } else {
            db = QSqlDatabase::addDatabase("QSQLITE", name);
            db.setDatabaseName(gbkToQString(utf8ToGbk(where)));
        }
        EXPECT_TRUE(db.open()) << where << ": " << db.lastError().text().toStdString();
    }
    ~Db() {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }
    void exec(const QString& sql) {
        QSqlQuery query(db);
        EXPECT_TRUE(query.exec(sql)) << sql.toStdString() << ": " << query.lastError().text().toStdString();
    }
    // Every row of the table (unquoted name, as the program's SQL names it), sorted.
    std::vector<std::string> rows(const char* table) {
        std::vector<std::string> out;
        QSqlQuery query(db);
        EXPECT_TRUE(query.exec(QStringLiteral("SELECT * FROM %1").arg(table))) << table;
        while (query.next()) {
            std::string row;
            for (int i = 0; i < query.record().count(); ++i)
                row +=
                    (query.isNull(i) ? std::string("NULL") : qstringToGbk(query.value(i).toString())) + "|";
            out.push_back(row);
        }
        std::sort(out.begin(), out.end());
        return out;
    }
    // Column names and declared types, in order (SQLite).
    std::vector<std::string> columns(const char* table) {
        std::vector<std::string> out;
        QSqlQuery query(db);
        EXPECT_TRUE(query.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table)));
        while (query.next())
            out.push_back(qstringToGbk(query.value(1).toString() + ' ' + query.value(2).toString()));
        return out;
    }
    QSqlDatabase db;

private:
    static inline int serial = 0;
    QString name;
};

using Tables = std::map<std::string, std::vector<std::string>>;
Tables everyTable(const std::string& where, const std::string& except = std::string()) {
    Db db(where);
    Tables out;
    for (const UtilityKind& kind : UtilityKinds)
        if (kind.code != except)
            for (const char* table : {kind.pointTable, kind.lineTable})
                out[table] = db.rows(table);
    return out;
}

struct Sample {
    std::string sqlite, mdb;
};
Sample writeSample(const fs::path& folder, std::uint32_t seed, std::size_t segments) {
    const SampleNetwork network = SampleNetwork::generate(SampleOptions{seed, segments});
    Sample files{(folder / "network.sqlite").string(), (folder / "network.mdb").string()};
    EXPECT_EQ(samplefiles::writeSqlite(network, files.sqlite), "");
    EXPECT_EQ(samplefiles::writeMdb(network, files.mdb), "");
    return files;
}

// The program itself: its exit status and what it wrote on standard output.
int runImport(const std::string& arguments, std::string& output) {
    const std::string command = std::string(PN_BIN_DIR) + "/pn_import " + arguments + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[4096];
    output.clear();
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int import(const std::string& source, const std::string& target, std::string& log, int batch = 5000) {
    std::ostringstream out, err;
    const int status = importNetwork({utf8ToGbk(source), utf8ToGbk(target), batch}, out, err);
    log = err.str();
    return status;
}

} // namespace

TEST(Import, TheSampleCopiedIntoSqliteHasTheSourcesTablesAndAgainTheSameFromAccess) {
    const fs::path folder = freshFolder("pn-import-");
    const Sample sample = writeSample(folder, 1, 900);
    const std::string target = (folder / "copy.sqlite").string();
    std::string output;

    EXPECT_EQ(runImport("--help", output), 0);
    EXPECT_NE(output.find("--to TARGET"), std::string::npos);
    EXPECT_EQ(runImport("--to " + target, output), 2);
    EXPECT_EQ(runImport(sample.sqlite + " --to " + target + " --batch 0", output), 2);
    EXPECT_EQ(runImport(sample.sqlite + " --to " + (folder / "copy.txt").string(), output), 2);
    EXPECT_EQ(runImport(sample.sqlite + " --to " + sample.sqlite, output), 2);
    EXPECT_FALSE(fs::exists(target));

    ASSERT_EQ(runImport(sample.sqlite + " --to " + target + " --batch 700", output), 0);
    EXPECT_EQ(output, "<conn str=\"" + target + "\"/>\n");
    const Tables source = everyTable(sample.sqlite), copied = everyTable(target);
    EXPECT_EQ(copied, source);
    {
        Db from(sample.sqlite), to(target);
        for (const UtilityKind& kind : UtilityKinds)
            for (const char* table : {kind.pointTable, kind.lineTable})
                EXPECT_EQ(to.columns(table), from.columns(table)) << table;
    }

    // Again, and from the Access file (through a pipe.xml naming it): the same tables.
    std::string log;
    EXPECT_EQ(import(sample.sqlite, target, log), 0) << log;
    EXPECT_EQ(everyTable(target), source);
    std::ofstream(folder / "pipe.xml") << "<pipeline><conn str=\"network.mdb\"/></pipeline>\n";
    const std::string fromAccess = (folder / "access.sqlite").string();
    EXPECT_EQ(import((folder / "pipe.xml").string(), fromAccess, log), 0) << log;
    EXPECT_EQ(everyTable(fromAccess), source);
    EXPECT_NE(log.find("JS: TQMB_JSPoint"), std::string::npos) << log;
    fs::remove_all(folder);
}

TEST(Import, AKindThatFailsKeepsTheTargetsTablesAndTheOthersAreCopied) {
    const fs::path folder = freshFolder("pn-import-fail-");
    fs::create_directories(folder / "old");
    fs::create_directories(folder / "new");
    const Sample old = writeSample(folder / "old", 2, 300), fresh = writeSample(folder / "new", 3, 600);
    const std::string target = (folder / "target.sqlite").string();
    std::string log;
    ASSERT_EQ(import(old.sqlite, target, log), 0) << log;
    const Tables before = everyTable(target);
    {
        // Something of the user's own where the kind's extent table would go.
        Db db(target);
        db.exec("DROP TABLE IF EXISTS TQMB_YSLine_extent");
        db.exec("CREATE VIEW TQMB_YSLine_extent AS SELECT 1 AS one");
        // Text where a number belongs.
        Db source(fresh.sqlite);
        source.exec(gbkToQString("UPDATE TQMB_JSPoint SET \"X坐标\" = 'n/a' WHERE rowid = 1"));
    }
    EXPECT_EQ(import(fresh.sqlite, target, log), 1);
    EXPECT_NE(log.find("YS: not copied, the target keeps its tables"), std::string::npos) << log;
    EXPECT_NE(log.find(gbkToUtf8("TQMB_JSPoint: 1 value left NULL, not of the column's type (X坐标 1)")),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("14 of 15 kinds copied"), std::string::npos) << log;

    const Tables after = everyTable(target), source = everyTable(fresh.sqlite);
    for (const UtilityKind& kind : UtilityKinds)
        for (const char* table : {kind.pointTable, kind.lineTable}) {
            if (std::string(kind.code) == "YS") {
                EXPECT_EQ(after.at(table), before.at(table)) << table;
            } else if (std::string(table) != "TQMB_JSPoint") {
                EXPECT_EQ(after.at(table), source.at(table)) << table;
            }
        }
    Db db(target);
    QSqlQuery nulls(db.db);
    ASSERT_TRUE(nulls.exec(gbkToQString("SELECT count(*), count(\"X坐标\") FROM TQMB_JSPoint")) &&
                nulls.next());
    EXPECT_EQ(nulls.value(0).toLongLong() - nulls.value(1).toLongLong(), 1);
    EXPECT_EQ(nulls.value(0).toLongLong(), static_cast<long long>(source.at("TQMB_JSPoint").size()));
    fs::remove_all(folder);
}
