#include "sample/MdbWriter.h"

#include "text/GbkText.h"
#include "tests/db/DbFixture.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {
using Value = MdbWriter::Value;

// Standard output of one of mdbtools' programs, as UTF-8.
std::string run(const std::string& program, const std::string& gbkPath, const std::string& table = "") {
    std::string command =
        program + " '" + gbkToUtf8(gbkPath) + "'" + (table.empty() ? "" : " " + gbkToUtf8(table));
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            output.append(buffer, n);
        EXPECT_EQ(pclose(pipe), 0) << command;
    }
    return output;
}

// A row as `mdb-export -Q -d '|' -0 NULL` prints it: doubles to 16 significant digits.
std::string exportLine(const std::vector<Value>& row) {
    std::string line;
    for (const Value& v : row) {
        char number[32];
        if (const double* x = std::get_if<double>(&v))
            std::snprintf(number, sizeof number, "%.16g", *x);
        line += (line.empty() ? "" : "|") + (std::holds_alternative<std::monostate>(v) ? std::string("NULL")
                                             : std::holds_alternative<double>(v)       ? std::string(number)
                                                                                 : std::get<std::string>(v));
    }
    return line + "\n";
}
} // namespace

TEST(MdbWriter, MdbtoolsListDescribeAndExportExactlyWhatWasWritten) {
    DbFixture folder;
    const std::string path = folder.path("测绘 成果.mdb");
    MdbWriter writer;
    const std::vector<MdbWriter::Column> columns = {
        {"GID", MdbWriter::Type::Text},      {"物探点号", MdbWriter::Type::Text},
        {"X坐标", MdbWriter::Type::Double},  {"Y坐标", MdbWriter::Type::Double},
        {"附属设施", MdbWriter::Type::Text}, {"深度", MdbWriter::Type::Double}};
    ASSERT_EQ(writer.addTable("TQMB_YSPoint", columns), 0) << writer.error();
    ASSERT_EQ(writer.addTable("空表", {{"备注", MdbWriter::Type::Text}}), 1) << writer.error();
    std::string expected = "GID|物探点号|X坐标|Y坐标|附属设施|深度\n";
    for (int i = 0; i < 2500; ++i) { // some forty data pages
        const std::vector<Value> row = {std::to_string(i),
                                        "YS" + std::to_string(i),
                                        512345.678 + i / 3.0,
                                        3456789.012 - i * 0.1,
                                        i % 4 ? Value(std::string(i % 2 ? "雨水篦子" : "检修井")) : Value(),
                                        i % 7 ? Value(1.25 + i % 3) : Value()};
        ASSERT_TRUE(writer.addRow(0, row)) << writer.error();
        expected += exportLine(row);
    }
    ASSERT_TRUE(writer.save(gbkToUtf8(path))) << writer.error();

    EXPECT_EQ(run("mdb-tables -1", path), gbkToUtf8("TQMB_YSPoint\n空表\n"));
    const std::string schema = run("mdb-schema", path);
    for (const char* line : {"[物探点号]\t\t\tText (255)", "[X坐标]\t\t\tDouble", "[深度]\t\t\tDouble",
                             "CREATE TABLE [空表]", "[备注]\t\t\tText (255)"})
        EXPECT_NE(schema.find(gbkToUtf8(line)), std::string::npos) << line << "\n" << schema;
    EXPECT_EQ(run("mdb-export -Q -d '|' -0 NULL", path, "TQMB_YSPoint"), gbkToUtf8(expected));
    EXPECT_EQ(run("mdb-export", path, "空表"), gbkToUtf8("备注\n"));
}

TEST(MdbWriter, RefusesWhatDoesNotFitTheTable) {
    MdbWriter writer;
    EXPECT_EQ(writer.addTable("T", {}), -1);
    EXPECT_EQ(writer.addTable("", {{"a", MdbWriter::Type::Text}}), -1);
    const int t = writer.addTable("T", {{"name", MdbWriter::Type::Text}, {"x", MdbWriter::Type::Double}});
    ASSERT_EQ(t, 0);
    EXPECT_FALSE(writer.addRow(t, {std::string("a")}));
    EXPECT_FALSE(writer.addRow(t, {1.0, 2.0}));
    EXPECT_FALSE(writer.addRow(t, {std::string("a"), std::string("b")}));
    EXPECT_FALSE(writer.addRow(t, {std::string(256, 'a'), 1.0}));
    EXPECT_FALSE(writer.addRow(t, {std::string("\xff\xff"), 1.0})) << "not GBK";
    EXPECT_FALSE(writer.addRow(1, {std::string("a"), 1.0}));
    EXPECT_FALSE(writer.error().empty());
    EXPECT_TRUE(writer.addRow(t, {std::string(255, 'a'), Value()}));
    EXPECT_TRUE(writer.addRow(t, {std::string(std::string(127, 'a') + "井"), -1.0}));
    EXPECT_FALSE(writer.save("/nonexistent-folder/x.mdb"));
}
