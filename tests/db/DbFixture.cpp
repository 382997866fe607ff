#include "tests/db/DbFixture.h"

#include "database/DBConnection.h"
#include "text/GbkText.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

DbFixture::DbFixture() {
    char cwd[4096];
    previousDirectory = getcwd(cwd, sizeof cwd) ? cwd : ".";
    if (chdir(gbkToUtf8(qstringToGbk(dir.path())).c_str()) != 0)
        ADD_FAILURE() << "cannot enter the temporary folder";
}

DbFixture::~DbFixture() {
    if (chdir(previousDirectory.c_str()) != 0)
        ADD_FAILURE() << "cannot return to " << previousDirectory;
}

std::string DbFixture::path(const std::string& gbkName) const {
    return qstringToGbk(dir.path()) + "/" + gbkName;
}

void DbFixture::write(const std::string& gbkName, const std::string& bytes) const {
    std::ofstream(gbkToUtf8(path(gbkName)), std::ios::binary) << bytes;
}

void DbFixture::makeSqlite(const std::string& gbkPath, const std::vector<std::string>& statements) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fixture"));
        db.setDatabaseName(gbkToQString(gbkPath));
        ASSERT_TRUE(db.open()) << qstringToGbk(db.lastError().text());
        QSqlQuery query(db);
        for (const std::string& statement : statements)
            ASSERT_TRUE(query.exec(gbkToQString(statement)))
                << gbkToUtf8(statement) << ": " << query.lastError().text().toStdString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fixture"));
}

void expectOpenFails(const std::string& gbkPath) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(DBConnection(gbkPath).open()) << gbkPath;
    const std::string printed = testing::internal::GetCapturedStderr();
    for (const char* words :
         {"Cannot open database: ", "Unable to establish a database connection.\n", "Click Cancel to exit."})
        EXPECT_NE(printed.find(words), std::string::npos) << gbkPath << ": " << printed;
}
