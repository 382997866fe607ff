#include "plugin/DBConnection.h"

#include "plugin/GbkText.h"
#include "tests/db/DbFixture.h"

#include <QDir>
#include <QSqlQuery>
#include <QVariant>

#include <gtest/gtest.h>

namespace {
const char* const pointTable[] = {
    "CREATE TABLE TQMB_JSPoint (GID TEXT, 物探点号 TEXT, X坐标 REAL, Y坐标 REAL, 深度 REAL)",
    "INSERT INTO TQMB_JSPoint VALUES ('1', 'JS1', 500000.25, 3500000.5, 1.5)",
    "INSERT INTO TQMB_JSPoint VALUES ('2', 'JS2', 500010.75, 3500001.5, NULL)", nullptr};

// What a failed open printed: without a GUI the dialog's words go to standard error.
std::string failedOpen(const std::string& path) {
    testing::internal::CaptureStderr();
    DBConnection connection(path);
    const bool opened = connection.open();
    std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(opened) << path;
    return printed;
}

void expectDialogWords(const std::string& printed) {
    EXPECT_NE(printed.find("Cannot open database"), std::string::npos) << printed;
    EXPECT_NE(printed.find("Unable to establish a database connection.\n"), std::string::npos) << printed;
    EXPECT_NE(printed.find("Click Cancel to exit."), std::string::npos) << printed;
}
} // namespace

TEST(DBConnection, SqlitePathWithSpacesAndChineseRunsTheLoadersDefaultQuery) {
    DbFixture folder;
    ASSERT_TRUE(QDir().mkpath(gbkToQString(folder.path("管网 数据"))));
    const std::string path = folder.path("管网 数据/给水 points.sqlite");
    DbFixture::makeSqlite(path, pointTable);

    DBConnection connection(path);
    ASSERT_TRUE(connection.open());
    QSqlQuery query; // on the default connection, as the loaders make it
    ASSERT_TRUE(query.prepare(gbkToQString("SELECT 物探点号, X坐标, 深度 FROM TQMB_JSPoint ORDER BY GID")));
    ASSERT_TRUE(query.exec());
    ASSERT_TRUE(query.next());
    EXPECT_EQ(qstringToGbk(query.value(0).toString()), "JS1");
    EXPECT_EQ(query.value(1).toDouble(), 500000.25);
    EXPECT_EQ(query.value(2).toDouble(), 1.5);
    ASSERT_TRUE(query.next());
    EXPECT_TRUE(query.value(2).isNull());
    EXPECT_FALSE(query.next());
    EXPECT_TRUE(connection.close());
}

TEST(DBConnection, SqliteDatabaseIsOpenedReadOnly) {
    DbFixture folder;
    const std::string path = folder.path("network.db");
    DbFixture::makeSqlite(path, pointTable);
    DBConnection connection(path);
    ASSERT_TRUE(connection.open());
    QSqlQuery query;
    EXPECT_FALSE(query.exec(QStringLiteral("DELETE FROM TQMB_JSPoint")));
    EXPECT_TRUE(query.exec(QStringLiteral("SELECT count(*) FROM TQMB_JSPoint")) && query.next());
    EXPECT_EQ(query.value(0).toInt(), 2);
}

TEST(DBConnection, UnreadableDatabaseShowsTheDialogWordsAndFails) {
    DbFixture folder;
    expectDialogWords(failedOpen(folder.path("missing.sqlite")));
    expectDialogWords(failedOpen(""));
    expectDialogWords(failedOpen(folder.path("notes.txt")));

    ASSERT_TRUE(QDir().mkpath(gbkToQString(folder.path("folder.db"))));
    expectDialogWords(failedOpen(folder.path("folder.db")));

    std::string noise(8192, '\0');
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 7919u + 13u) % 251u);
    folder.write("noise.gpkg", noise);
    expectDialogWords(failedOpen(folder.path("noise.gpkg")));

    // After failures a good database still opens on the same default connection.
    const std::string good = folder.path("good.sqlite");
    DbFixture::makeSqlite(good, pointTable);
    DBConnection connection(good);
    EXPECT_TRUE(connection.open());
}
