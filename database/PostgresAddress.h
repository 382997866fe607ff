#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

#include <string>

// A network kept on a PostgreSQL server, named where a database file would be:
//   postgresql://user@host:port/dbname   (also postgres://; user and port optional)
// The password is never written there: libpq takes it from PGPASSFILE or ~/.pgpass.
// Parts may be percent-encoded (%40 for an @ in a user name).
struct PostgresAddress {
    std::string user;
    std::string host;
    int port = 5432;
    std::string database;

    // Whether `text` names a server rather than a file (its scheme), however malformed.
    static bool names(const std::string& text);
    // False with the reason when `text` is not an address as above, or carries a password.
    static bool parse(const std::string& text, PostgresAddress& address, std::string& error);
    // The address written back without the password, for messages.
    std::string text() const;
};

// Registers `name` as a QPSQL connection to `address` and opens it (connect timeout 10 s,
// the server's text in UTF-8); the error says why it did not open.
QSqlError openPostgres(QSqlDatabase& database, const QString& name, const PostgresAddress& address);
