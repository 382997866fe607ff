#include "tests/db/TestServer.h"

#include "text/GbkText.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <cstdlib>
#include <random>

namespace {

const QString Admin = QStringLiteral("pn-test-admin"), Own = QStringLiteral("pn-test-own");

struct Server {
    bool tried = false;
    std::string missing;
    PostgresAddress admin, own;
};
Server& server() {
    static Server s;
    return s;
}

std::string sqlError(const QSqlError& error) {
    return qstringToGbk(error.text());
}

// Makes the program's own database on the first call.
void prepare(Server& s) {
    s.tried = true;
    const char* text = std::getenv("PN_TEST_POSTGRES");
    if (!text || !*text) {
        s.missing = "no test server: PN_TEST_POSTGRES is not set (scripts/test.sh starts one)";
        return;
    }
    std::string error;
    if (!PostgresAddress::parse(text, s.admin, error)) {
        s.missing = "PN_TEST_POSTGRES: " + error;
        return;
    }
    std::random_device random;
    s.own = s.admin;
    s.own.database = "pn_t_" + std::to_string(random()) + std::to_string(random() % 1000);
    QSqlDatabase admin;
    if (QSqlError failed = openPostgres(admin, Admin, s.admin); failed.isValid()) {
        s.missing = "the test server " + s.admin.text() + " does not let us in: " + sqlError(failed);
    } else {
        QSqlQuery create(admin);
        if (!create.exec(QString::fromStdString("CREATE DATABASE " + s.own.database +
                                                " ENCODING 'UTF8' TEMPLATE template0")))
            s.missing = "cannot make a database on the test server: " + sqlError(create.lastError());
    }
    if (s.missing.empty()) {
        QSqlDatabase own;
        if (QSqlError failed = openPostgres(own, Own, s.own); failed.isValid())
            s.missing = "cannot open " + s.own.text() + ": " + sqlError(failed);
    }
}

// Drops the program's own database once its tests are done, the loaders' connections
// to it with it.
class DropOwnDatabase : public testing::Environment {
public:
    void TearDown() override {
        Server& s = server();
        if (!s.tried || !QSqlDatabase::contains(Admin))
            return;
        QSqlDatabase::database(Own, false).close();
        {
            QSqlQuery drop(QSqlDatabase::database(Admin, false));
            if (s.missing.empty() && !drop.exec(QString::fromStdString("DROP DATABASE IF EXISTS " +
                                                                       s.own.database + " WITH (FORCE)")))
                ADD_FAILURE() << "dropping " << s.own.database << ": " << sqlError(drop.lastError());
        }
        QSqlDatabase::database(Admin, false).close();
        QSqlDatabase::removeDatabase(Own);
        QSqlDatabase::removeDatabase(Admin);
    }
};
[[maybe_unused]] testing::Environment* const dropOwnDatabase =
    testing::AddGlobalTestEnvironment(new DropOwnDatabase);

} // namespace

namespace TestServer {

std::string unavailable() {
    Server& s = server();
    if (!s.tried)
        prepare(s);
    return s.missing;
}

bool required() {
    const char* required = std::getenv("PN_REQUIRE_POSTGRES");
    return required && std::string(required) == "1";
}

const PostgresAddress& address() {
    return server().own;
}

void exec(const std::vector<std::string>& statements) {
    QSqlQuery query(QSqlDatabase::database(Own, false));
    for (const std::string& statement : statements)
        if (!query.exec(gbkToQString(statement)))
            ADD_FAILURE() << gbkToUtf8(statement) << ": " << gbkToUtf8(sqlError(query.lastError()));
}

std::string value(const std::string& sql) {
    QSqlQuery query(QSqlDatabase::database(Own, false));
    if (!query.exec(gbkToQString(sql)) || !query.next()) {
        ADD_FAILURE() << gbkToUtf8(sql) << ": " << gbkToUtf8(sqlError(query.lastError()));
        return std::string();
    }
    return qstringToGbk(query.value(0).toString());
}

} // namespace TestServer
