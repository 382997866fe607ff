#include "database/DBConnection.h"

#include "text/GbkText.h"
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
} // namespace

TEST(DBConnection, SqlitePathWithSpacesAndChineseRunsTheLoadersDefaultQueryReadOnly) {
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
    // The survey's database is never written to.
    EXPECT_FALSE(query.exec(QStringLiteral("DELETE FROM TQMB_JSPoint")));
    EXPECT_TRUE(connection.close());
}

TEST(DBConnection, UnreadableDatabaseShowsTheDialogWordsAndFails) {
    DbFixture folder;
    expectOpenFails(folder.path("missing.sqlite"));
    expectOpenFails(""); // pipe.xml without "str"
    expectOpenFails(folder.path("notes.txt"));
    ASSERT_TRUE(QDir().mkpath(gbkToQString(folder.path("folder.db"))));
    expectOpenFails(folder.path("folder.db"));
    folder.write("noise.gpkg", std::string(8192, '\x5a'));
    expectOpenFails(folder.path("noise.gpkg"));

    // After failures a good database still opens on the same default connection.
    const std::string good = folder.path("good.sqlite");
    DbFixture::makeSqlite(good, pointTable);
    EXPECT_TRUE(DBConnection(good).open());
}
