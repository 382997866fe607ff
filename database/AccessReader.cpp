#include "database/AccessReader.h"

#include "database/AccessHeader.h"

#include "text/GbkText.h"

#include <mdbtools.h>
#include <sqlite3.h>
#include <sys/mman.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <type_traits>
#include <unistd.h>
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
// A long value (memo, OLE) starts with its length, whose top bits say where it lies.
constexpr uint32_t longValueInline = 0x80000000u;
constexpr uint32_t longValueOnePage = 0x40000000u;
constexpr uint32_t longValueLengthMask = 0x3fffffffu;
constexpr int longValueHeader = 12;

// Messages are GBK like every text of the program; paths and names arrive as UTF-8.
std::string quoted(const std::string& nativePath) {
    return "\"" + utf8ToGbk(nativePath) + "\"";
}

uint32_t get16(const unsigned char* p) {
    return p[0] | (p[1] << 8);
}
uint32_t get24(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16);
}
uint32_t get32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
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

// The file's pages as they lie on disk, for the checks mdbtools leaves out: every page
// number, row offset and count that mdbtools will follow is looked at here first.
class Pages {
public:
    ~Pages() {
        if (bytes)
            munmap(bytes, size);
    }
    bool map(int fd, size_t fileSize, const MdbFormatConstants& format, bool jet3);

    const unsigned char* page(uint32_t n) const {
        return n < count ? bytes + static_cast<size_t>(n) * pageSize : nullptr;
    }
    // Where row `row` of the page lies: [start, end) in the page. False when the page
    // lists fewer rows or the row's bounds leave the page or overlap its row list.
    bool rowBounds(const unsigned char* p, unsigned row, unsigned& start, unsigned& end) const;
    // A table definition: its page and those it continues on, each a definition page,
    // its columns and their names within them, its usage maps readable.
    bool definitionFits(uint32_t tablePage) const;
    // Every row of the table's data pages has its parts within itself. False with the
    // page of the first one that does not.
    bool rowsFit(uint32_t tablePage, uint32_t& badPage) const;
    // The long value (memo, OLE) whose 12-byte header lies at value: its parts in the file.
    // Its bytes appended to `bytes` where given.
    bool longValueFits(const unsigned char* value, int size, std::string* bytes = nullptr) const;
    // The row itself: its column count, null mask and variable-column offsets within it.
    bool rowFits(const unsigned char* row, unsigned size) const;

private:
    bool usageMap(const unsigned char* definition, size_t length, unsigned at, const unsigned char*& map,
                  unsigned& mapSize) const;
    bool definition(uint32_t tablePage, std::vector<unsigned char>& out) const;

    unsigned char* bytes = nullptr;
    size_t size = 0;
    uint32_t count = 0;
    unsigned pageSize = 0;
    const MdbFormatConstants* fmt = nullptr;
    bool jet3 = false;
};

bool Pages::map(int fd, size_t fileSize, const MdbFormatConstants& format, bool isJet3) {
    fmt = &format;
    jet3 = isJet3;
    pageSize = static_cast<unsigned>(format.pg_size);
    if (pageSize == 0 || fileSize < pageSize)
        return false;
    void* mapped = mmap(nullptr, fileSize, PROT_READ, MAP_PRIVATE, fd, 0);
    if (mapped == MAP_FAILED)
        return false;
    bytes = static_cast<unsigned char*>(mapped);
    size = fileSize;
    count = static_cast<uint32_t>(fileSize / pageSize);
    return true;
}

bool Pages::rowBounds(const unsigned char* p, unsigned row, unsigned& start, unsigned& end) const {
    const unsigned listStart = fmt->row_count_offset + 2u;
    const unsigned rows = get16(p + fmt->row_count_offset);
    if (row >= rows || listStart + 2 * rows > pageSize)
        return false;
    start = get16(p + listStart + 2 * row) & rowOffsetMask;
    end = row == 0 ? pageSize : get16(p + listStart + 2 * (row - 1)) & rowOffsetMask;
    return start >= listStart + 2 * rows && start < end && end <= pageSize;
}

bool Pages::definition(uint32_t tablePage, std::vector<unsigned char>& out) const {
    // mdbtools reads a definition across its pages as one: the first page whole, the
    // rest after their 8-byte headers.
    const unsigned char* p = page(tablePage);
    out.clear();
    for (uint32_t hops = 0; p; ++hops) {
        if (p[0] != MDB_PAGE_TABLE || hops > count)
            return false;
        out.insert(out.end(), p + (hops ? 8 : 0), p + pageSize);
        const uint32_t next = get32(p + 4);
        if (next == 0)
            return true;
        p = page(next);
    }
    return false;
}

bool Pages::usageMap(const unsigned char* def, size_t length, unsigned at, const unsigned char*& map,
                     unsigned& mapSize) const {
    if (at + 4u > length)
        return false;
    const unsigned char* p = page(get24(def + at + 1));
    unsigned start = 0, end = 0;
    if (!p || !rowBounds(p, def[at], start, end))
        return false;
    map = p + start;
    mapSize = end - start;
    if (map[0] == 0) // a bitmap of pages from a first page on
        return mapSize >= 5;
    if (map[0] != 1) // else the pages that hold the bitmaps
        return false;
    for (unsigned i = 1; i + 4 <= mapSize; i += 4) {
        const uint32_t mapPage = get32(map + i);
        if (mapPage != 0 && (!page(mapPage) || page(mapPage)[0] != MDB_PAGE_MAP))
            return false;
    }
    return true;
}

bool Pages::definitionFits(uint32_t tablePage) const {
    std::vector<unsigned char> def;
    if (!definition(tablePage, def) || def.size() < fmt->tab_cols_start_offset)
        return false;
    const unsigned columns = get16(def.data() + fmt->tab_num_cols_offset);
    const uint64_t indexes = get32(def.data() + fmt->tab_num_ridxs_offset);
    if (columns == 0 || columns > MDB_MAX_COLS)
        return false;
    uint64_t at = fmt->tab_cols_start_offset + indexes * fmt->tab_ridx_entry_size +
                  static_cast<uint64_t>(columns) * fmt->tab_col_entry_size;
    for (unsigned i = 0; i < columns && at <= def.size(); ++i) {
        const unsigned lengthSize = jet3 ? 1 : 2;
        if (at + lengthSize > def.size())
            return false;
        at += lengthSize + (jet3 ? def[at] : get16(def.data() + at));
    }
    const unsigned char* map = nullptr;
    unsigned mapSize = 0;
    return at <= def.size() && usageMap(def.data(), def.size(), fmt->tab_usage_map_offset, map, mapSize) &&
           usageMap(def.data(), def.size(), fmt->tab_free_map_offset, map, mapSize);
}

bool Pages::rowFits(const unsigned char* row, unsigned rowSize) const {
    if (jet3) // one-byte counts and a jump table: mdbtools' own checks hold there
        return rowSize >= 1;
    if (rowSize < 4)
        return false;
    const unsigned maskSize = (get16(row) + 7) / 8;
    if (2 + maskSize + 2 > rowSize)
        return false;
    const unsigned variable = get16(row + rowSize - maskSize - 2);
    if (2 + maskSize + 2 + 2 * (variable + 1) > rowSize)
        return false;
    for (unsigned i = 0; i <= variable; ++i)
        if (get16(row + rowSize - maskSize - 4 - 2 * i) > rowSize)
            return false;
    return true;
}

bool Pages::rowsFit(uint32_t tablePage, uint32_t& badPage) const {
    std::vector<unsigned char> def;
    const unsigned char* map = nullptr;
    unsigned mapSize = 0;
    badPage = tablePage;
    if (!definition(tablePage, def) ||
        !usageMap(def.data(), def.size(), fmt->tab_usage_map_offset, map, mapSize))
        return false;
    auto dataPageFits = [&](uint64_t n) {
        badPage = static_cast<uint32_t>(n);
        const unsigned char* p = n <= UINT32_MAX ? page(static_cast<uint32_t>(n)) : nullptr;
        if (!p)
            return false;
        if (p[0] != MDB_PAGE_DATA || get32(p + 4) != tablePage) // not this table's: mdbtools passes it by
            return true;
        const unsigned rows = get16(p + fmt->row_count_offset);
        if (fmt->row_count_offset + 2u + 2 * rows > pageSize)
            return false;
        for (unsigned r = 0; r < rows; ++r) {
            const unsigned flags = get16(p + fmt->row_count_offset + 2 + 2 * r);
            unsigned start = 0, end = 0;
            if (flags & deletedRow)
                continue;
            if (!rowBounds(p, r, start, end))
                return false;
            if (flags & overflowRow) { // the row moved on: its slot points at where it is now
                if (end - start < 4)
                    return false;
                const uint32_t pointer = get32(p + start);
                const unsigned char* other = page(pointer >> 8);
                if (!other || !rowBounds(other, pointer & 0xff, start, end))
                    return false;
                if (!rowFits(other + start, end - start))
                    return false;
            } else if (!rowFits(p + start, end - start)) {
                return false;
            }
        }
        return true;
    };
    const uint64_t bits = (pageSize - 4) * 8ull;
    if (map[0] == 0) {
        const uint64_t first = get32(map + 1);
        for (unsigned i = 0; i < (mapSize - 5) * 8; ++i)
            if ((map[5 + i / 8] >> (i % 8) & 1) && !dataPageFits(first + i))
                return false;
        return true;
    }
    for (unsigned entry = 0; 1 + 4 * entry + 4 <= mapSize; ++entry) {
        const unsigned char* bitmap = page(get32(map + 1 + 4 * entry));
        if (!get32(map + 1 + 4 * entry) || !bitmap)
            continue;
        for (uint64_t i = 0; i < bits; ++i)
            if ((bitmap[4 + i / 8] >> (i % 8) & 1) && !dataPageFits(entry * bits + i))
                return false;
    }
    return true;
}

bool Pages::longValueFits(const unsigned char* value, int valueSize, std::string* bytes) const {
    if (valueSize < longValueHeader)
        return true; // mdbtools gives an empty value
    const uint32_t head = get32(value);
    const uint32_t length = head & longValueLengthMask;
    auto take = [&](const unsigned char* from, uint32_t n) {
        if (bytes)
            bytes->append(reinterpret_cast<const char*>(from), n);
    };
    if (head & longValueInline) {
        if (length > static_cast<uint32_t>(valueSize - longValueHeader))
            return false;
        take(value + longValueHeader, length);
        return true;
    }
    uint32_t pointer = get32(value + 4);
    // On one page, or on a chain of pages, each row's first four bytes pointing at the next.
    for (uint32_t hops = 0, read = 0; hops <= count; ++hops) {
        const unsigned char* p = page(pointer >> 8);
        unsigned start = 0, end = 0;
        if (!p || p[0] != MDB_PAGE_DATA || !rowBounds(p, pointer & 0xff, start, end))
            return false;
        if (head & longValueOnePage) {
            if (length > end - start)
                return false;
            take(p + start, length);
            return true;
        }
        if (end - start < 4)
            return false;
        const uint32_t part = std::min(end - start - 4, length - read);
        take(p + start + 4, part);
        read += part;
        pointer = get32(p + start);
        if (pointer == 0 || read >= length)
            return read >= length;
    }
    return false;
}

// Reads every user table of one Access file into one SQLite database.
class MirrorBuilder {
public:
    MirrorBuilder(MdbHandle* mdb, sqlite3* db, const Pages& pages) : mdb(mdb), db(db), pages(pages) {}

    bool copyTable(MdbCatalogEntry* entry, std::string& error);

private:
    bool exec(const std::string& sql);
    bool copyRow(MdbTableDef* table, sqlite3_stmt* insert, int rowStart, size_t rowSize);
    bool bindValue(sqlite3_stmt* insert, int index, MdbColumn* column, const MdbField& field);
    std::string sqliteError() const { return utf8ToGbk(sqlite3_errmsg(db)); }

    MdbHandle* mdb;
    sqlite3* db;
    const Pages& pages;
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
    if (entry->table_pg > UINT32_MAX || !pages.definitionFits(static_cast<uint32_t>(entry->table_pg))) {
        error = "Unreadable definition of table " + tableName;
        return false;
    }
    uint32_t badPage = 0;
    if (!pages.rowsFit(static_cast<uint32_t>(entry->table_pg), badPage)) {
        error = "Table " + tableName + ": damaged data page " + std::to_string(badPage);
        return false;
    }
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

    const unsigned pageSize = static_cast<unsigned>(mdb->fmt->pg_size);
    const int rowCountOffset = mdb->fmt->row_count_offset;
    std::vector<unsigned char> dataPage(pageSize);
    unsigned rowsRead = 0;
    mdb_rewind_table(table.get());
    while (mdb_read_next_dpg(table.get())) {
        const unsigned rows = get16(mdb->pg_buf + rowCountOffset);
        for (unsigned r = 0; r < rows; ++r) {
            const unsigned flags = get16(mdb->pg_buf + rowCountOffset + 2 + 2 * r);
            unsigned start = 0, end = 0;
            if (flags & deletedRow)
                continue;
            if (!pages.rowBounds(mdb->pg_buf, r, start, end))
                break;
            bool copied;
            if (flags & overflowRow) {
                // The row moved to another page when it grew; its slot here points there.
                if (end - start < 4)
                    break;
                const uint32_t pointer = get32(mdb->pg_buf + start);
                const unsigned char* other = pages.page(pointer >> 8);
                copied = other && pages.rowBounds(other, pointer & 0xff, start, end) &&
                         pages.rowFits(other + start, end - start);
                if (copied) {
                    std::memcpy(dataPage.data(), mdb->pg_buf, pageSize);
                    std::memcpy(mdb->pg_buf, other, pageSize);
                    copied = copyRow(table.get(), insert.get(), static_cast<int>(start), end - start);
                    std::memcpy(mdb->pg_buf, dataPage.data(), pageSize);
                }
            } else {
                copied = pages.rowFits(mdb->pg_buf + start, end - start) &&
                         copyRow(table.get(), insert.get(), static_cast<int>(start), end - start);
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
        // Read here from the checked parts: mdbtools' reader wants a bound buffer of its own
        // size and follows the file's pointers again.
        std::string bytes;
        if (!pages.longValueFits(value, field.siz, &bytes))
            return false;
        return sqlite3_bind_blob64(insert, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT) == SQLITE_OK;
    }
    case MDB_NUMERIC:
        return bindString(mdb_numeric_to_string(mdb, field.start, column->col_scale, column->col_prec));
    case MDB_MEMO:
        if (!pages.longValueFits(value, field.siz))
            return false;
        [[fallthrough]];
    default: // memo, currency, date and time, replication id: as mdbtools writes them
        return bindString(mdb_col_to_string(mdb, mdb->pg_buf, field.start, column->col_type, field.siz));
    }
}

struct CloseFd {
    int fd;
    ~CloseFd() {
        if (fd >= 0)
            close(fd);
    }
};

bool readInto(const std::string& nativePath, sqlite3* db, std::string& error) {
    CloseFd file{open(nativePath.c_str(), O_RDONLY | O_CLOEXEC)};
    struct stat info {};
    if (file.fd < 0 || fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "No Access database file at " + quoted(nativePath);
        return false;
    }
    if (!checkAccessHeader(nativePath, info.st_size, error))
        return false;
    Mdb mdb(mdb_open(nativePath.c_str(), MDB_NOFLAGS));
    Pages pages;
    if (!mdb || !pages.map(file.fd, static_cast<size_t>(info.st_size), *mdb->fmt, IS_JET3(mdb.get()))) {
        error = "Cannot read the Access database " + quoted(nativePath);
        return false;
    }
    mdb_set_date_fmt(mdb.get(), "%Y-%m-%d %H:%M:%S");
    // The catalogue is a table too (on page 2): a file cut short lists fewer objects
    // than the catalogue's own row count, and would otherwise look like a file
    // without tables.
    uint32_t badPage = 0;
    MdbCatalogEntry objects{};
    objects.mdb = mdb.get();
    objects.object_type = MDB_TABLE;
    objects.table_pg = 2;
    Table objectsTable(pages.definitionFits(2) && pages.rowsFit(2, badPage) ? mdb_read_table(&objects)
                                                                            : nullptr);
    GPtrArray* catalog = objectsTable ? mdb_read_catalog(mdb.get(), MDB_ANY) : nullptr;
    if (!catalog || catalog->len != objectsTable->num_rows) {
        error = "Unreadable table catalogue in the Access database " + quoted(nativePath);
        return false;
    }
    MirrorBuilder builder(mdb.get(), db, pages);
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
    error = "Cannot complete the copy: " + utf8ToGbk(sqlite3_errmsg(db));
    return false;
}
} // namespace

bool readAccessIntoSqlite(const char* accessPath, const char* sqlitePath, std::string& error) {
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open_v2(sqlitePath, &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    Sqlite db(raw);
    // A scratch file read once: no journal, no waiting for the disk.
    if (opened != SQLITE_OK || sqlite3_exec(db.get(), "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF",
                                            nullptr, nullptr, nullptr) != SQLITE_OK) {
        error = "Cannot create the copy " + quoted(sqlitePath) + ": " + utf8ToGbk(sqlite3_errmsg(db.get()));
        return false;
    }
    return readInto(accessPath, db.get(), error);
}
