#include "sample/SampleFiles.h"

#include "sample/MdbWriter.h"
#include "sample/SampleNetwork.h"
#include "text/GbkText.h"
#include "text/XmlBounds.h"

#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace samplefiles {

const Column kPointColumns[8] = {{"GID", true},      {"物探点号", true},  {"X坐标", false},
                                 {"Y坐标", false},   {"地面高程", false}, {"深度", false},
                                 {"测点性质", true}, {"附属设施", true}};
const Column kLineColumns[7] = {{"GID", true},        {"材质", true},      {"起点物探号", true},
                                {"终点物探号", true}, {"起点埋深", false}, {"终点埋深", false},
                                {"断面尺寸", true}};

namespace {

// Most text repeats (natures, facilities, materials, sizes) and ids are ASCII: convert each
// distinct GBK string once.
class Utf8Cache {
public:
    const std::string& operator()(const std::string& gbk) {
        bool ascii = true;
        for (unsigned char c : gbk)
            ascii &= c < 0x80;
        if (ascii)
            return gbk;
        auto it = cache_.find(gbk);
        if (it == cache_.end())
            it = cache_.emplace(gbk, gbkToUtf8(gbk)).first;
        return it->second;
    }

private:
    std::map<std::string, std::string> cache_;
};

template <size_t N>
std::string createTable(const std::string& table, const Column (&columns)[N], Utf8Cache& utf8) {
    std::string sql = "CREATE TABLE " + table + " (";
    for (size_t i = 0; i < N; ++i)
        sql += (i ? ", \"" : "\"") + utf8(columns[i].name) + "\" " + (columns[i].text ? "TEXT" : "REAL");
    return sql + ")";
}

template <size_t N> std::string insertInto(const std::string& table) {
    std::string sql = "INSERT INTO " + table + " VALUES (";
    for (size_t i = 0; i < N; ++i)
        sql += i ? ", ?" : "?";
    return sql + ")";
}

class Database {
public:
    explicit Database(const std::string& path) {
        std::remove(path.c_str());
        if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK)
            fail("cannot create " + path);
    }
    ~Database() {
        for (sqlite3_stmt* s : statements_)
            sqlite3_finalize(s);
        sqlite3_close(db_);
    }
    void exec(const std::string& sql) {
        if (error_.empty() && sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(sql);
    }
    sqlite3_stmt* prepare(const std::string& sql) {
        sqlite3_stmt* s = nullptr;
        if (error_.empty() && sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK)
            fail(sql);
        if (s)
            statements_.push_back(s);
        return s;
    }
    void text(sqlite3_stmt* s, int i, const std::string& v) {
        if (v.empty())
            sqlite3_bind_null(s, i);
        else
            sqlite3_bind_text(s, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    }
    void step(sqlite3_stmt* s) {
        if (error_.empty() && sqlite3_step(s) != SQLITE_DONE)
            fail("insert");
        sqlite3_reset(s);
    }
    const std::string& error() const { return error_; }

private:
    void fail(const std::string& what) {
        if (error_.empty())
            error_ = what + ": " + (db_ ? sqlite3_errmsg(db_) : "out of memory");
    }
    sqlite3* db_ = nullptr;
    std::vector<sqlite3_stmt*> statements_;
    std::string error_;
};

// Full precision: map coordinates in metres have seven digits before the point.
std::string extentText(const SampleNetwork& network) {
    std::ostringstream text;
    text.precision(17);
    text << network.xmin << ' ' << network.ymin << ' ' << network.xmax << ' ' << network.ymax;
    return text.str();
}

} // namespace

std::string writeSqlite(const SampleNetwork& network, const std::string& path) {
    Utf8Cache utf8;
    Database db(path);
    db.exec("PRAGMA journal_mode=OFF");
    db.exec("PRAGMA synchronous=OFF");
    db.exec("BEGIN");
    for (const SampleKindRows& kind : network.kinds) {
        const std::string points = "TQMB_" + kind.code + "Point", lines = "TQMB_" + kind.code + "Line";
        db.exec(createTable(points, kPointColumns, utf8));
        db.exec(createTable(lines, kLineColumns, utf8));
        sqlite3_stmt* p = db.prepare(insertInto<8>(points));
        sqlite3_stmt* l = db.prepare(insertInto<7>(lines));
        if (!db.error().empty())
            return db.error();
        for (const SamplePointRow& r : kind.points) {
            db.text(p, 1, r.gid);
            db.text(p, 2, r.number);
            sqlite3_bind_double(p, 3, r.x);
            sqlite3_bind_double(p, 4, r.y);
            sqlite3_bind_double(p, 5, r.ground);
            sqlite3_bind_double(p, 6, r.depth);
            db.text(p, 7, utf8(r.nature));
            db.text(p, 8, utf8(r.facility));
            db.step(p);
        }
        for (const SampleLineRow& r : kind.lines) {
            db.text(l, 1, r.gid);
            db.text(l, 2, utf8(r.material));
            db.text(l, 3, r.start);
            db.text(l, 4, r.end);
            sqlite3_bind_double(l, 5, r.startDepth);
            sqlite3_bind_double(l, 6, r.endDepth);
            db.text(l, 7, utf8(r.section));
            db.step(l);
        }
    }
    db.exec("COMMIT");
    return db.error();
}

std::string writeMdb(const SampleNetwork& network, const std::string& path) {
    auto columns = [](const auto& list) {
        std::vector<MdbWriter::Column> out;
        for (const Column& c : list)
            out.push_back({c.name, c.text ? MdbWriter::Type::Text : MdbWriter::Type::Double});
        return out;
    };
    auto text = [](const std::string& v) { return v.empty() ? MdbWriter::Value() : MdbWriter::Value(v); };
    MdbWriter mdb;
    for (const SampleKindRows& kind : network.kinds) {
        const int points = mdb.addTable("TQMB_" + kind.code + "Point", columns(kPointColumns));
        const int lines = mdb.addTable("TQMB_" + kind.code + "Line", columns(kLineColumns));
        if (points < 0 || lines < 0)
            return mdb.error();
        for (const SamplePointRow& r : kind.points)
            if (!mdb.addRow(points,
                            {r.gid, r.number, r.x, r.y, r.ground, r.depth, text(r.nature), text(r.facility)}))
                return mdb.error();
        for (const SampleLineRow& r : kind.lines)
            if (!mdb.addRow(lines, {r.gid, text(r.material), r.start, r.end, r.startDepth, r.endDepth,
                                    text(r.section)}))
                return mdb.error();
    }
    return mdb.save(path) ? std::string() : mdb.error();
}

std::string writePipeXml(const SampleNetwork& network, const std::string& path,
                         const std::string& databasePath, const std::string& imagery) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<pipeline>\n  <conn str=\""
        << xmlEscaped(databasePath) << "\"/>\n  <view srs=\"" << network.srs << "\" extent=\""
        << extentText(network) << "\" baseZ=\"" << network.baseZ << "\" ground=\"" << network.baseZ << "\"";
    if (imagery.empty())
        out << "/>\n";
    else
        out << ">\n    <imagery file=\"" << xmlEscaped(imagery) << "\"/>\n  </view>\n";
    out << "</pipeline>\n";
    out.close();
    return out ? std::string() : "cannot write " + path;
}

std::string writeHostInfo(const SampleNetwork& network, const std::string& path) {
    std::ostringstream json;
    json << "{\n  \"srs\": \"" << network.srs << "\",\n  \"extent\": \"" << extentText(network)
         << "\",\n  \"baseZ\": " << network.baseZ << ",\n  \"segments\": " << network.segmentCount()
         << ",\n  \"points\": " << network.pointCount() << "\n}\n";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << json.str();
    out.close();
    return out ? std::string() : "cannot write " + path;
}

} // namespace samplefiles
