#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// Writes the survey teams' kind of Access file (Jet 4, as Access 2000 to 2003 save
// it): tables of text and double columns, no indexes, nothing else. Enough for test
// fixtures and the sample network, and read back by mdbtools like any Access file.
//
// Names and texts are GBK, as the program holds them; a text holds up to 255
// characters. Rows are packed into data pages as they are added.
class MdbWriter {
public:
    enum class Type { Text, Double };
    struct Column {
        std::string name;
        Type type;
    };
    // NULL, a text (GBK) or a number.
    using Value = std::variant<std::monostate, std::string, double>;

    MdbWriter();
    ~MdbWriter();
    MdbWriter(const MdbWriter&) = delete;
    MdbWriter& operator=(const MdbWriter&) = delete;

    // The new table's number for addRow, or -1 (see error()) for a bad definition.
    int addTable(const std::string& name, const std::vector<Column>& columns);
    // False (see error()) when the row does not match the table: a wrong number of
    // values, a text in a double column or the reverse, a text that is too long.
    bool addRow(int table, const std::vector<Value>& row);
    // Writes the file at the native path; false (see error()) when it cannot.
    bool save(const std::string& nativePath);

    const std::string& error() const { return lastError; }

private:
    struct Table;
    struct ColumnLayout;

    bool fail(std::string message);
    bool toUcs2(const std::string& gbk, std::string& out);
    void appendRow(Table& table, const std::string& row);

    std::vector<Table> tables;
    std::string lastError;
    void* converter; // iconv_t, kept out of this header
};
