#include "sample/MdbWriter.h"

#include "plugin/GbkText.h"
#include "tests/db/DbFixture.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {
using Value = MdbWriter::Value;

std::string run(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot run " << command;
        return output;
    }
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << command;
    return output;
}

std::string quoted(const std::string& path) {
    return "'" + gbkToUtf8(path) + "'";
}

// Splits mdb-export's CSV (quoted texts, doubled quotes, NULL as an unquoted N).
std::vector<std::vector<std::string>> parseCsv(const std::string& csv) {
    std::vector<std::vector<std::string>> rows(1);
    std::string field;
    bool inQuotes = false, fieldStarted = false;
    for (size_t i = 0; i < csv.size(); ++i) {
        const char c = csv[i];
        if (inQuotes) {
            if (c == '"' && i + 1 < csv.size() && csv[i + 1] == '"')
                field += csv[++i];
            else if (c == '"')
                inQuotes = false;
            else
                field += c;
        } else if (c == '"') {
            inQuotes = fieldStarted = true;
            field = "T:"; // a quoted field is a text
        } else if (c == ',' || c == '\n') {
            rows.back().push_back(field);
            field.clear();
            fieldStarted = false;
            if (c == '\n')
                rows.emplace_back();
        } else {
            field += c;
        }
    }
    rows.pop_back();
    return rows;
}

// mdb-export prints doubles to 15 significant digits.
std::string fifteenDigits(double x) {
    char text[40];
    std::snprintf(text, sizeof text, "D:%.15g", x);
    return text;
}

std::string exported(const Value& v) {
    if (std::holds_alternative<std::monostate>(v))
        return "N";
    if (const double* x = std::get_if<double>(&v))
        return fifteenDigits(*x);
    return "T:" + gbkToUtf8(std::get<std::string>(v));
}

std::string asExported(const std::string& field) {
    if (field == "N" || field.rfind("T:", 0) == 0)
        return field;
    return fifteenDigits(std::stod(field));
}
} // namespace

TEST(MdbWriter, MdbtoolsListDescribeAndExportExactlyWhatWasWritten) {
    DbFixture folder;
    const std::string path = folder.path("测绘 成果.mdb");
    MdbWriter writer;
    const int points = writer.addTable("TQMB_YSPoint", {{"GID", MdbWriter::Type::Text},
                                                        {"物探点号", MdbWriter::Type::Text},
                                                        {"X坐标", MdbWriter::Type::Double},
                                                        {"Y坐标", MdbWriter::Type::Double},
                                                        {"附属设施", MdbWriter::Type::Text},
                                                        {"深度", MdbWriter::Type::Double}});
    const int empty = writer.addTable("空表", {{"备注", MdbWriter::Type::Text}});
    ASSERT_EQ(points, 0) << writer.error();
    ASSERT_EQ(empty, 1) << writer.error();
    std::vector<std::vector<Value>> rows;
    for (int i = 0; i < 2500; ++i) { // some forty data pages
        rows.push_back({std::to_string(i), "YS" + std::to_string(i), 512345.678 + i / 3.0,
                        3456789.012 - i * 0.1,
                        i % 4 ? Value(std::string(i % 2 ? "雨水篦子" : "检修井, \"甲\"")) : Value(),
                        i % 7 ? Value(1.25 + i % 3) : Value()});
        ASSERT_TRUE(writer.addRow(points, rows.back())) << writer.error();
    }
    ASSERT_TRUE(writer.save(gbkToUtf8(path))) << writer.error();

    EXPECT_EQ(run("mdb-tables -1 " + quoted(path)), gbkToUtf8("TQMB_YSPoint\n空表\n"));

    const std::string schema = run("mdb-schema " + quoted(path));
    for (const char* line : {"[物探点号]\t\t\tText (255)", "[X坐标]\t\t\tDouble", "[深度]\t\t\tDouble",
                             "CREATE TABLE [空表]", "[备注]\t\t\tText (255)"})
        EXPECT_NE(schema.find(gbkToUtf8(line)), std::string::npos) << line << "\n" << schema;

    const auto csv = parseCsv(run("mdb-export -0 N " + quoted(path) + " TQMB_YSPoint"));
    ASSERT_EQ(csv.size(), rows.size() + 1);
    EXPECT_EQ(csv[0],
              (std::vector<std::string>{"GID", gbkToUtf8("物探点号"), gbkToUtf8("X坐标"), gbkToUtf8("Y坐标"),
                                        gbkToUtf8("附属设施"), gbkToUtf8("深度")}));
    for (size_t r = 0; r < rows.size(); ++r) {
        ASSERT_EQ(csv[r + 1].size(), rows[r].size()) << "row " << r;
        for (size_t c = 0; c < rows[r].size(); ++c)
            EXPECT_EQ(asExported(csv[r + 1][c]), exported(rows[r][c])) << "row " << r << " column " << c;
    }
    EXPECT_EQ(run("mdb-export " + quoted(path) + " " + quoted("空表")), gbkToUtf8("备注\n"));
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
