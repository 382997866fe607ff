#include "database/AccessMirror.h"

#include "text/GbkText.h"

#include <mdbtools.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <type_traits>
#include <vector>

namespace {
struct CloseSqlite {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
struct CloseMdb {
    void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
struct FreeTable {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using Sqlite = std::unique_ptr<sqlite3, CloseSqlite>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;
using Mdb = std::unique_ptr<MdbHandle, CloseMdb>;
using Table = std::unique_ptr<MdbTableDef, FreeTable>;

// Row offsets on a data page carry two flags in their top bits.
constexpr int deletedRow = 0x8000;
constexpr int overflowRow = 0x4000;
constexpr int rowOffsetMask = 0x1fff;

struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modified = 0;

    bool operator==(const FileStamp& o) const {
        return device == o.device && inode == o.inode && size == o.size && modified == o.modified;
    }
};

struct Mirror {
    FileStamp stamp;
    std::string uri;
    Sqlite keeper; // an in-memory database lives while one connection to it is open
};

std::mutex cacheMutex;
std::map<std::string, Mirror> cache;
unsigned mirrorsMade = 0;

// Messages are GBK like every text of the program; paths and names arrive as UTF-8.
std::string quoted(const std::string& nativePath) {
    return "\"" + utf8ToGbk(nativePath) + "\"";
}

int littleEndian16(const unsigned char* p) {
    return p[0] | (p[1] << 8);
}

// A fixed-size number as Access stores it (little-endian, as on the hosts we run on).
template <class Stored>
bool bindNumber(sqlite3_stmt* insert, int index, const unsigned char* value, int size) {
    Stored n{};
    if (size < static_cast<int>(sizeof n))
        return false;
    std::memcpy(&n, value, sizeof n);
    if constexpr (std::is_floating_point<Stored>::value)
        return sqlite3_bind_double(insert, index, n) == SQLITE_OK;
    else
        return sqlite3_bind_int(insert, index, n) == SQLITE_OK;
}

std::string quoteIdentifier(const char* name) {
    std::string out = "\"";
    for (const char* c = name; *c; ++c) {
        if (*c == '"')
            out += '"';
        out += *c;
    }
    return out + "\"";
}

// mdbtools trusts the file; a file that is not a Jet database, or is cut short, is
// turned away here before any page of it is interpreted.
bool checkHeader(const std::string& nativePath, const FileStamp& stamp, std::string& error) {
    unsigned char head[0x18] = {};
    std::ifstream in(nativePath, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(head), sizeof head)) {
        error = "Not an Access database (too short): " + quoted(nativePath);
        return false;
    }
    const bool magic = head[0] == 0 && head[1] == 1 && head[2] == 0 && head[3] == 0 &&
                       (std::memcmp(head + 4, "Standard Jet DB", 16) == 0 ||
                        std::memcmp(head + 4, "Standard ACE DB", 16) == 0);
    if (!magic) {
        error = "Not an Access database: " + quoted(nativePath);
        return false;
    }
    const off_t page = head[0x14] == 0 && head[0x15] == 0 ? 2048 : 4096;
    if (stamp.size % page != 0 || stamp.size < 3 * page) {
        error = "Access database cut short (" + std::to_string(stamp.size) + " bytes): " + quoted(nativePath);
        return false;
    }
    return true;
}

// Reads every user table of one Access file into one in-memory SQLite database.
class MirrorBuilder {
public:
    MirrorBuilder(MdbHandle* mdb, sqlite3* db) : mdb(mdb), db(db) {}

    bool copyTable(MdbCatalogEntry* entry, std::string& error);

private:
    bool exec(const std::string& sql);
    bool copyRow(MdbTableDef* table, sqlite3_stmt* insert, int rowStart, size_t rowSize);
    bool bindValue(sqlite3_stmt* insert, int index, MdbColumn* column, const MdbField& field);
    std::string sqliteError() const { return utf8ToGbk(sqlite3_errmsg(db)); }

    MdbHandle* mdb;
    sqlite3* db;
    MdbField fields[MDB_MAX_COLS];
    // One buffer per column: the texts of a row stay in place until the row is inserted.
    std::vector<std::vector<char>> texts = std::vector<std::vector<char>>(MDB_MAX_COLS);
};

bool MirrorBuilder::exec(const std::string& sql) {
    return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

const char* affinity(int type) {
    switch (type) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
        return "INTEGER";
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_MONEY:
    case MDB_NUMERIC:
        return "REAL";
    case MDB_BINARY:
    case MDB_OLE:
        return "BLOB";
    default:
        return "TEXT";
    }
}

bool MirrorBuilder::copyTable(MdbCatalogEntry* entry, std::string& error) {
    const std::string tableName = utf8ToGbk(entry->object_name);
    Table table(mdb_read_table(entry));
    if (!table || !mdb_read_columns(table.get()) || table->num_cols == 0 || table->num_cols > MDB_MAX_COLS) {
        error = "Unreadable definition of table " + tableName;
        return false;
    }
    std::string create = "CREATE TABLE " + quoteIdentifier(entry->object_name) + " (";
    std::string insertSql = "INSERT INTO " + quoteIdentifier(entry->object_name) + " VALUES (";
    for (unsigned i = 0; i < table->num_cols; ++i) {
        auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
        create += (i ? ", " : "") + quoteIdentifier(column->name) + " " + affinity(column->col_type);
        insertSql += i ? ",?" : "?";
    }
    sqlite3_stmt* raw = nullptr;
    if (!exec(create + ")") ||
        sqlite3_prepare_v2(db, (insertSql + ")").c_str(), -1, &raw, nullptr) != SQLITE_OK) {
        error = "Cannot mirror table " + tableName + ": " + sqliteError();
        return false;
    }
    Statement insert(raw);

    const int pageSize = static_cast<int>(mdb->fmt->pg_size);
    const int rowCountOffset = mdb->fmt->row_count_offset;
    std::vector<unsigned char> dataPage(pageSize);
    unsigned rowsRead = 0;
    mdb_rewind_table(table.get());
    while (mdb_read_next_dpg(table.get())) {
        const int rows = mdb_get_int16(mdb->pg_buf, rowCountOffset);
        for (int r = 0; r < rows; ++r) {
            const int flags =
                littleEndian16(mdb->pg_buf + rowCountOffset + 2 + 2 * static_cast<std::ptrdiff_t>(r));
            int start = 0;
            size_t size = 0;
            if (flags & deletedRow)
                continue;
            if (mdb_find_row(mdb, r, &start, &size) != 0)
                break;
            start &= rowOffsetMask;
            bool copied;
            if (flags & overflowRow) {
                // The row moved to another page when it grew; its slot here points there.
                if (size < 4)
                    break;
                void* other = nullptr;
                std::memcpy(dataPage.data(), mdb->pg_buf, pageSize);
                const int pointer = static_cast<int>(mdb_get_int32(mdb->pg_buf, start));
                copied = mdb_find_pg_row(mdb, pointer, &other, &start, &size) == 0;
                if (copied) {
                    std::memmove(mdb->pg_buf, other, pageSize);
                    copied = copyRow(table.get(), insert.get(), start & rowOffsetMask, size);
                }
                std::memcpy(mdb->pg_buf, dataPage.data(), pageSize);
            } else {
                copied = copyRow(table.get(), insert.get(), start, size);
            }
            if (!copied)
                break;
            ++rowsRead;
        }
    }
    if (rowsRead != table->num_rows) {
        error = "Table " + tableName + ": only " + std::to_string(rowsRead) + " of its " +
                std::to_string(table->num_rows) + " rows are readable";
        return false;
    }
    return true;
}

bool MirrorBuilder::copyRow(MdbTableDef* table, sqlite3_stmt* insert, int rowStart, size_t rowSize) {
    if (mdb_crack_row(table, rowStart, rowSize, fields) <= 0)
        return false;
    for (unsigned i = 0; i < table->num_cols; ++i) {
        auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
        if (!bindValue(insert, static_cast<int>(i) + 1, column, fields[i]))
            return false;
    }
    const bool done = sqlite3_step(insert) == SQLITE_DONE;
    sqlite3_reset(insert);
    return done;
}

bool MirrorBuilder::bindValue(sqlite3_stmt* insert, int index, MdbColumn* column, const MdbField& field) {
    if (column->col_type == MDB_BOOL) // a yes/no value lives in the row's null mask
        return sqlite3_bind_int(insert, index, field.is_null ? 0 : 1) == SQLITE_OK;
    if (field.is_null)
        return sqlite3_bind_null(insert, index) == SQLITE_OK;
    const int pageSize = static_cast<int>(mdb->fmt->pg_size);
    if (field.start < 0 || field.siz < 0 || field.start + field.siz > pageSize)
        return false;
    const unsigned char* value = mdb->pg_buf + field.start;
    auto bindString = [&](char* s) {
        const int result = s ? sqlite3_bind_text(insert, index, s, -1, SQLITE_TRANSIENT) : SQLITE_ERROR;
        g_free(s);
        return result == SQLITE_OK;
    };
    switch (column->col_type) {
    case MDB_BYTE:
        return bindNumber<uint8_t>(insert, index, value, field.siz);
    case MDB_INT:
        return bindNumber<int16_t>(insert, index, value, field.siz);
    case MDB_LONGINT:
        return bindNumber<int32_t>(insert, index, value, field.siz);
    case MDB_FLOAT:
        return bindNumber<float>(insert, index, value, field.siz);
    case MDB_DOUBLE:
        return bindNumber<double>(insert, index, value, field.siz);
    case MDB_TEXT: {
        std::vector<char>& text = texts[index - 1];
        text.resize(3 * static_cast<size_t>(field.siz) + 16);
        const int length =
            mdb_unicode2ascii(mdb, reinterpret_cast<const char*>(value), field.siz, text.data(), text.size());
        return sqlite3_bind_text(insert, index, text.data(), length, SQLITE_STATIC) == SQLITE_OK;
    }
    case MDB_BINARY:
        return sqlite3_bind_blob(insert, index, value, field.siz, SQLITE_TRANSIENT) == SQLITE_OK;
    case MDB_OLE: {
        column->cur_value_start = field.start;
        column->cur_value_len = field.siz;
        size_t size = 0;
        void* data = mdb_ole_read_full(mdb, column, &size);
        const int result = data ? sqlite3_bind_blob64(insert, index, data, size, SQLITE_TRANSIENT)
                                : sqlite3_bind_null(insert, index);
        g_free(data);
        return result == SQLITE_OK;
    }
    case MDB_NUMERIC:
        return bindString(mdb_numeric_to_string(mdb, field.start, column->col_scale, column->col_prec));
    default: // memo, currency, date and time, replication id: as mdbtools writes them
        return bindString(mdb_col_to_string(mdb, mdb->pg_buf, field.start, column->col_type, field.siz));
    }
}

bool buildMirror(const std::string& nativePath, const std::string& uri, Sqlite& keeper, std::string& error) {
    Mdb mdb(mdb_open(nativePath.c_str(), MDB_NOFLAGS));
    if (!mdb) {
        error = "Cannot read the Access database " + quoted(nativePath);
        return false;
    }
    mdb_set_date_fmt(mdb.get(), "%Y-%m-%d %H:%M:%S");
    // The catalogue is a table too (on page 2): a file cut short lists fewer objects
    // than the catalogue's own row count, and would otherwise look like a file
    // without tables.
    MdbCatalogEntry objects{};
    objects.mdb = mdb.get();
    objects.object_type = MDB_TABLE;
    objects.table_pg = 2;
    Table objectsTable(mdb_read_table(&objects));
    GPtrArray* catalog = objectsTable ? mdb_read_catalog(mdb.get(), MDB_ANY) : nullptr;
    if (!catalog || catalog->len != objectsTable->num_rows) {
        error = "Unreadable table catalogue in the Access database " + quoted(nativePath);
        return false;
    }
    sqlite3* db = nullptr;
    const int opened = sqlite3_open_v2(
        uri.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
        nullptr);
    keeper.reset(db);
    if (opened != SQLITE_OK) {
        error = "Cannot create the in-memory copy: " + utf8ToGbk(sqlite3_errmsg(db));
        return false;
    }
    MirrorBuilder builder(mdb.get(), db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (guint i = 0; i < catalog->len; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
        if (entry->object_type != MDB_TABLE || !mdb_is_user_table(entry))
            continue;
        if (!builder.copyTable(entry, error)) {
            error += " in " + quoted(nativePath);
            return false;
        }
    }
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    error = "Cannot complete the in-memory copy: " + utf8ToGbk(sqlite3_errmsg(db));
    return false;
}
} // namespace

bool AccessMirror::attach(const std::string& path, std::string& uri, std::string& error) {
    const std::string nativePath = gbkToUtf8(path);
    struct stat info {};
    if (::stat(nativePath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "No Access database file at " + quoted(nativePath);
        return false;
    }
    FileStamp stamp;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modified = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;

    std::lock_guard<std::mutex> guard(cacheMutex);
    auto found = cache.find(nativePath);
    if (found != cache.end() && found->second.stamp == stamp) {
        uri = found->second.uri;
        return true;
    }
    if (!checkHeader(nativePath, stamp, error))
        return false;
    Mirror mirror;
    mirror.stamp = stamp;
    mirror.uri = "file:pn-access-" + std::to_string(++mirrorsMade) + "?mode=memory&cache=shared";
    if (!buildMirror(nativePath, mirror.uri, mirror.keeper, error))
        return false;
    uri = mirror.uri;
    cache[nativePath] = std::move(mirror);
    return true;
}
