#include "sample/MdbWriter.h"

#include <iconv.h>

#include <cstring>
#include <fstream>
#include <utility>

namespace {
constexpr size_t pageSize = 4096;
constexpr size_t rowOffsets = 14; // data page: type, 1, free space, table page, 4 unused, row count
constexpr size_t maxTextChars = 255;
constexpr size_t maxNameChars = 64;
constexpr size_t maxRowsPerMapPage = 255; // a row is addressed by one byte

enum : uint8_t { typeInt = 0x03, typeLong = 0x04, typeDouble = 0x07, typeText = 0x0a, typeOle = 0x0b };
enum : uint8_t { pageData = 0x01, pageTable = 0x02, userTable = 0x4e, systemTable = 0x53 };
constexpr uint32_t systemObjectFlags = 0x80000002;

void put16(std::string& b, size_t at, uint32_t v) {
    b[at] = static_cast<char>(v & 0xff);
    b[at + 1] = static_cast<char>((v >> 8) & 0xff);
}
void put32(std::string& b, size_t at, uint32_t v) {
    put16(b, at, v & 0xffff);
    put16(b, at + 2, v >> 16);
}
uint32_t get16(const std::string& b, size_t at) {
    return static_cast<uint8_t>(b[at]) | static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8;
}
void append16(std::string& b, uint32_t v) {
    b.append(2, '\0');
    put16(b, b.size() - 2, v);
}
std::string bytesOf(uint32_t v, size_t size) {
    std::string b(size, '\0');
    size == 2 ? put16(b, 0, v) : put32(b, 0, v);
    return b;
}

// The database page keeps its settings behind RC4 with a fixed key; mdbtools, like
// Access, decrypts it on opening.
void rc4(std::string& b, size_t at, size_t length) {
    const uint8_t key[4] = {0xc7, 0xda, 0x39, 0x6b};
    uint8_t s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<uint8_t>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % 4]) & 0xff;
        std::swap(s[i], s[j]);
    }
    for (size_t n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xff;
        j = (j + s[i]) & 0xff;
        std::swap(s[i], s[j]);
        b[at + n] = static_cast<char>(b[at + n] ^ s[(s[i] + s[j]) & 0xff]);
    }
}

// Puts a row on the last data page, or on a new one when it does not fit there (or the
// page holds maxRows already). Rows fill a page from its end towards its row offset
// table. Returns the row's number on its page.
uint32_t packRow(std::vector<std::string>& pages, const std::string& row, uint32_t maxRows = 0xffff) {
    if (pages.empty() || get16(pages.back(), 2) < row.size() + 2 || get16(pages.back(), 12) >= maxRows) {
        std::string page(pageSize, '\0');
        page[0] = static_cast<char>(pageData);
        page[1] = 1;
        put16(page, 2, pageSize - rowOffsets);
        pages.push_back(page);
    }
    std::string& page = pages.back();
    const size_t rows = get16(page, 12);
    const size_t top = (rows ? get16(page, rowOffsets + 2 * (rows - 1)) : pageSize) - row.size();
    page.replace(top, row.size(), row);
    put16(page, rowOffsets + 2 * rows, static_cast<uint32_t>(top));
    put16(page, 12, static_cast<uint32_t>(rows + 1));
    put16(page, 2, static_cast<uint32_t>(top - rowOffsets - 2 * (rows + 1)));
    return static_cast<uint32_t>(rows);
}

std::string databasePage() {
    std::string page(pageSize, '\0');
    page[1] = 1;
    std::memcpy(&page[4], "Standard Jet DB", 16);
    put32(page, 0x14, 1);      // Jet 4
    put16(page, 0x3c, 1252);   // code page
    put16(page, 0x6e, 0x0409); // general sort order; the database key at 0x3e stays 0: no page encryption
    rc4(page, 0x18, 128);
    return page;
}
} // namespace

struct MdbWriter::ColumnLayout {
    std::string name; // UCS-2
    uint8_t type = typeText;
    uint16_t length = 0; // bytes; 0 for long values
    bool fixed = false;
    uint16_t fixedOffset = 0;
    uint16_t varIndex = 0;
};

struct MdbWriter::Table {
    std::string name; // UCS-2
    std::vector<ColumnLayout> columns;
    std::vector<Type> types;
    std::vector<std::string> pages; // their table page number is filled in on saving
    uint32_t rows = 0;
    size_t fixedSize = 0;
    size_t varCount = 0;

    void layOut() {
        for (ColumnLayout& c : columns) {
            if (c.fixed) {
                c.fixedOffset = static_cast<uint16_t>(fixedSize);
                fixedSize += c.length;
            } else {
                c.varIndex = static_cast<uint16_t>(varCount++);
            }
        }
    }

    // Jet 4 row: column count, fixed values, variable values, end of data, the
    // variable offsets last to first, their count, then the null mask (1 = present).
    std::string encodeRow(const std::vector<const std::string*>& values) const {
        std::string row;
        append16(row, static_cast<uint32_t>(columns.size()));
        row.append(fixedSize, '\0');
        std::string mask((columns.size() + 7) / 8, '\0');
        std::vector<uint32_t> offsets(varCount);
        for (size_t i = 0; i < columns.size(); ++i) {
            const ColumnLayout& c = columns[i];
            if (values[i])
                mask[i / 8] = static_cast<char>(mask[i / 8] | (1 << (i % 8)));
            if (c.fixed) {
                if (values[i])
                    row.replace(2 + c.fixedOffset, c.length, *values[i]);
            }
        }
        if (varCount) {
            for (size_t i = 0; i < columns.size(); ++i) {
                if (columns[i].fixed)
                    continue;
                offsets[columns[i].varIndex] = static_cast<uint32_t>(row.size());
                if (values[i])
                    row += *values[i];
            }
            append16(row, static_cast<uint32_t>(row.size()));
            for (size_t v = varCount; v-- > 0;)
                append16(row, offsets[v]);
            append16(row, static_cast<uint32_t>(varCount));
        }
        return row + mask;
    }

    std::string definition(uint8_t kind, uint32_t usedMap, uint32_t freeMap) const {
        std::string b(pageSize, '\0');
        b[0] = static_cast<char>(pageTable);
        b[1] = 1;
        put32(b, 16, rows);
        b[40] = static_cast<char>(kind);
        put16(b, 41, static_cast<uint32_t>(columns.size()));
        put16(b, 43, static_cast<uint32_t>(varCount));
        put16(b, 45, static_cast<uint32_t>(columns.size()));
        put32(b, 55, usedMap);
        put32(b, 59, freeMap);
        b.resize(63);
        for (size_t i = 0; i < columns.size(); ++i) {
            const ColumnLayout& c = columns[i];
            std::string entry(25, '\0');
            entry[0] = static_cast<char>(c.type);
            put16(entry, 5, static_cast<uint32_t>(i));
            put16(entry, 7, c.varIndex);
            put16(entry, 9, static_cast<uint32_t>(i));
            if (c.type == typeText)
                put16(entry, 11, 0x0409);
            entry[15] = static_cast<char>(c.fixed ? 0x03 : 0x02); // fixed length, may be null
            put16(entry, 21, c.fixedOffset);
            put16(entry, 23, c.length);
            b += entry;
        }
        for (const ColumnLayout& c : columns) {
            append16(b, static_cast<uint32_t>(c.name.size()));
            b += c.name;
        }
        append16(b, 0xffff); // no long value columns with usage maps of their own
        put32(b, 8, static_cast<uint32_t>(b.size()));
        if (b.size() <= pageSize) { // a longer one is refused by addTable
            put16(b, 2, static_cast<uint32_t>(pageSize - b.size()));
            b.resize(pageSize, '\0');
        }
        return b;
    }
};

namespace {
// What iconv_open gives when it has no such conversion.
void* const noConverter = reinterpret_cast<void*>(-1); // NOLINT(performance-no-int-to-ptr)
} // namespace

MdbWriter::MdbWriter() : converter(iconv_open("UTF-16LE", "GBK")) {}

MdbWriter::~MdbWriter() {
    if (converter != noConverter)
        iconv_close(static_cast<iconv_t>(converter));
}

bool MdbWriter::fail(std::string message) {
    lastError = std::move(message);
    return false;
}

bool MdbWriter::toUcs2(const std::string& gbk, std::string& out) {
    out.assign(2 * gbk.size(), '\0');
    if (converter == noConverter)
        return fail("no GBK converter");
    auto cd = static_cast<iconv_t>(converter);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(gbk.data());
    size_t inLeft = gbk.size();
    char* o = &out[0];
    size_t outLeft = out.size();
    if (iconv(cd, &in, &inLeft, &o, &outLeft) == static_cast<size_t>(-1))
        return fail("not GBK text: " + gbk);
    out.resize(out.size() - outLeft);
    return true;
}

int MdbWriter::addTable(const std::string& name, const std::vector<Column>& columns) {
    Table table;
    if (columns.empty() || columns.size() > 255 || !toUcs2(name, table.name) || table.name.empty() ||
        table.name.size() > 2 * maxNameChars) {
        fail("bad table definition: " + name);
        return -1;
    }
    for (const Column& column : columns) {
        ColumnLayout c;
        if (!toUcs2(column.name, c.name) || c.name.empty() || c.name.size() > 2 * maxNameChars) {
            fail("bad column name \"" + column.name + "\" in table " + name);
            return -1;
        }
        c.fixed = column.type == Type::Double;
        c.type = c.fixed ? typeDouble : typeText;
        c.length = static_cast<uint16_t>(c.fixed ? sizeof(double) : 2 * maxTextChars);
        table.columns.push_back(c);
        table.types.push_back(column.type);
    }
    table.layOut();
    if (table.definition(userTable, 0, 0).size() > pageSize) {
        fail("too many columns for one table page: " + name);
        return -1;
    }
    tables.push_back(std::move(table));
    return static_cast<int>(tables.size()) - 1;
}

bool MdbWriter::addRow(int index, const std::vector<Value>& row) {
    if (index < 0 || static_cast<size_t>(index) >= tables.size())
        return fail("no table " + std::to_string(index));
    Table& table = tables[index];
    if (row.size() != table.columns.size())
        return fail("a row of " + std::to_string(table.columns.size()) + " values has " +
                    std::to_string(row.size()));
    std::vector<std::string> encoded(row.size());
    std::vector<const std::string*> values(row.size(), nullptr);
    for (size_t i = 0; i < row.size(); ++i) {
        if (std::holds_alternative<std::monostate>(row[i]))
            continue;
        if (const double* x = std::get_if<double>(&row[i])) {
            if (table.types[i] != Type::Double)
                return fail("a number in text column " + std::to_string(i));
            encoded[i].assign(reinterpret_cast<const char*>(x), sizeof *x);
        } else {
            if (table.types[i] != Type::Text)
                return fail("a text in number column " + std::to_string(i));
            if (!toUcs2(std::get<std::string>(row[i]), encoded[i]))
                return false;
            if (encoded[i].size() > 2 * maxTextChars)
                return fail("a text longer than 255 characters: " + std::get<std::string>(row[i]));
        }
        values[i] = &encoded[i];
    }
    const std::string bytes = table.encodeRow(values);
    if (bytes.size() + 2 > pageSize - rowOffsets)
        return fail("a row too long for a data page");
    appendRow(table, bytes);
    return true;
}

void MdbWriter::appendRow(Table& table, const std::string& row) {
    packRow(table.pages, row);
    ++table.rows;
}

bool MdbWriter::save(const std::string& nativePath) {
    // The catalogue (MSysObjects, always on page 2) lists the tables by their
    // definition page; it is a table like the others, with system columns.
    Table catalog;
    const char* names[] = {"Id", "Name", "Type", "Flags", "LvProp"};
    const uint8_t types[] = {typeLong, typeText, typeInt, typeLong, typeOle};
    const uint16_t lengths[] = {4, 2 * maxTextChars, 2, 4, 0};
    for (int i = 0; i < 5; ++i) {
        ColumnLayout c;
        toUcs2(names[i], c.name);
        c.type = types[i];
        c.length = lengths[i];
        c.fixed = types[i] != typeText && types[i] != typeOle;
        catalog.columns.push_back(c);
    }
    catalog.layOut();

    std::vector<uint32_t> definitionPage(tables.size());
    auto fillCatalog = [&] {
        catalog.pages.clear();
        catalog.rows = 0;
        auto add = [&](uint32_t page, const std::string& name, uint32_t flags) {
            const std::string id = bytesOf(page, 4), type = bytesOf(1, 2), flagBytes = bytesOf(flags, 4);
            appendRow(catalog, catalog.encodeRow({&id, &name, &type, &flagBytes, nullptr}));
        };
        std::string self;
        toUcs2("MSysObjects", self);
        add(2, self, systemObjectFlags);
        for (size_t t = 0; t < tables.size(); ++t)
            add(definitionPage[t], tables[t].name, 0);
    };
    fillCatalog(); // the row sizes, hence the page count, do not depend on the pages named
    uint32_t next = 3 + static_cast<uint32_t>(catalog.pages.size());
    for (size_t t = 0; t < tables.size(); ++t) {
        definitionPage[t] = next;
        next += 1 + static_cast<uint32_t>(tables[t].pages.size());
    }
    fillCatalog();

    // Usage maps: per table, the pages holding its rows (a bitmap from its first data
    // page) and the pages with free space (none). They are rows of map pages: page 1,
    // then as many more after the tables as they need.
    std::vector<const Table*> all{&catalog};
    std::vector<uint32_t> firstData{3};
    for (size_t t = 0; t < tables.size(); ++t) {
        all.push_back(&tables[t]);
        firstData.push_back(definitionPage[t] + 1);
    }
    std::vector<std::string> mapPages;
    std::vector<uint32_t> usedMap(all.size()), freeMap(all.size());
    auto addMapRow = [&](const std::string& row) {
        const uint32_t number = packRow(mapPages, row, maxRowsPerMapPage);
        const uint32_t page = mapPages.size() == 1 ? 1 : next + static_cast<uint32_t>(mapPages.size()) - 2;
        return page << 8 | number;
    };
    for (size_t t = 0; t < all.size(); ++t) {
        std::string used(5 + (all[t]->pages.size() + 7) / 8 + 1, '\0');
        put32(used, 1, firstData[t]);
        for (size_t p = 0; p < all[t]->pages.size(); ++p)
            used[5 + p / 8] = static_cast<char>(used[5 + p / 8] | (1 << (p % 8)));
        std::string empty(6, '\0');
        put32(empty, 1, firstData[t]);
        usedMap[t] = addMapRow(used);
        freeMap[t] = addMapRow(empty);
    }

    std::ofstream out(nativePath, std::ios::binary | std::ios::trunc);
    if (!out)
        return fail("cannot write " + nativePath);
    auto writeData = [&](std::vector<std::string> pages, uint32_t tablePage) {
        for (std::string& page : pages) {
            put32(page, 4, tablePage);
            out.write(page.data(), static_cast<std::streamsize>(page.size()));
        }
    };
    const std::string header = databasePage();
    out.write(header.data(), pageSize);
    writeData({mapPages.front()}, 0);
    const std::string catalogDefinition = catalog.definition(systemTable, usedMap[0], freeMap[0]);
    out.write(catalogDefinition.data(), pageSize);
    writeData(catalog.pages, 2);
    for (size_t t = 0; t < tables.size(); ++t) {
        const std::string definition = tables[t].definition(userTable, usedMap[t + 1], freeMap[t + 1]);
        out.write(definition.data(), pageSize);
        writeData(tables[t].pages, definitionPage[t]);
    }
    writeData(std::vector<std::string>(mapPages.begin() + 1, mapPages.end()), 0);
    out.close();
    return out ? true : fail("cannot write " + nativePath);
}
