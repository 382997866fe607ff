#include "NetworkDatabase.h"

#include "text/GbkText.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <unistd.h>

NetworkDatabase::NetworkDatabase() {
    static std::atomic<int> serial{0};
    connectionName = "network-fixture-" + std::to_string(serial++);
    char cwd[4096];
    previousDirectory = getcwd(cwd, sizeof cwd) ? cwd : ".";
    if (chdir(QFile::encodeName(folder.path()).constData()) != 0)
        ADD_FAILURE() << "cannot enter the temporary folder";
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", connectionName.c_str());
    db.setDatabaseName(gbkToQString(path("network.sqlite")));
    if (!db.open())
        ADD_FAILURE() << db.lastError().text().toStdString();
    writeConfig(path("network.sqlite"));
}

NetworkDatabase::~NetworkDatabase() {
    QSqlDatabase::database(connectionName.c_str(), false).close();
    QSqlDatabase::removeDatabase(connectionName.c_str());
    if (chdir(previousDirectory.c_str()) != 0)
        ADD_FAILURE() << "cannot return to " << previousDirectory;
}

std::string NetworkDatabase::path(const std::string& name) const {
    return qstringToGbk(folder.path()) + "/" + name;
}

void NetworkDatabase::writeConfig(const std::string& databaseFile) const {
    std::ofstream(gbkToUtf8(path("pipe.xml")), std::ios::binary)
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<pipeline><conn str=\"" << gbkToUtf8(databaseFile)
        << "\"/></pipeline>\n";
}

void NetworkDatabase::exec(const std::string& sql) {
    QSqlQuery query(QSqlDatabase::database(connectionName.c_str(), false));
    if (!query.exec(gbkToQString(sql)))
        ADD_FAILURE() << gbkToUtf8(sql) << ": " << query.lastError().text().toStdString();
}

void NetworkDatabase::createKindTables(const std::string& code) {
    exec("CREATE TABLE TQMB_" + code +
         "Point (GID TEXT, 物探点号 TEXT, X坐标 REAL, Y坐标 REAL, 地面高程 REAL, 深度 REAL, 测点性质 TEXT, "
         "附属设施 TEXT, 权属单位 TEXT)");
    exec("CREATE TABLE TQMB_" + code +
         "Line (GID TEXT, 起点物探号 TEXT, 终点物探号 TEXT, 起点埋深 REAL, 终点埋深 REAL, 材质 TEXT, "
         "断面尺寸 TEXT, 管线长度 REAL)");
}

void NetworkDatabase::addPoint(const std::string& code, const std::string& gid, const std::string& number,
                               double x, double y, double depth, const std::string& nature,
                               const std::string& facility) {
    std::ostringstream sql;
    sql.precision(17);
    sql << "INSERT INTO TQMB_" << code << "Point VALUES ('" << gid << "', '" << number << "', " << x << ", "
        << y << ", 999, " << depth << ", '" << nature << "', '" << facility << "', '市政')";
    exec(sql.str());
}

void NetworkDatabase::addLine(const std::string& code, const std::string& gid, const std::string& start,
                              const std::string& end, double startDepth, double endDepth,
                              const std::string& section) {
    std::ostringstream sql;
    sql.precision(17);
    sql << "INSERT INTO TQMB_" << code << "Line VALUES ('" << gid << "', '" << start << "', '" << end << "', "
        << startDepth << ", " << endDepth << ", 'PE', '" << section << "', 12.5)";
    exec(sql.str());
}
