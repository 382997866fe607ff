#include "database/PostgresAddress.h"

#include <QByteArray>

#include <cctype>
#include <cstdlib>

namespace {

const char* const Schemes[] = {"postgresql://", "postgres://"};

std::string decoded(const std::string& part) {
    return QByteArray::fromPercentEncoding(QByteArray::fromStdString(part)).toStdString();
}

bool digitsOnly(const std::string& text) {
    if (text.empty() || text.size() > 5)
        return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

} // namespace

bool PostgresAddress::names(const std::string& text) {
    for (const char* scheme : Schemes)
        if (text.compare(0, std::char_traits<char>::length(scheme), scheme) == 0)
            return true;
    return false;
}

bool PostgresAddress::parse(const std::string& text, PostgresAddress& address, std::string& error) {
    std::string rest;
    for (const char* scheme : Schemes)
        if (text.compare(0, std::char_traits<char>::length(scheme), scheme) == 0)
            rest = text.substr(std::char_traits<char>::length(scheme));
    if (!names(text)) {
        error = "not a postgresql:// address";
        return false;
    }
    address = PostgresAddress();
    const std::size_t query = rest.find('?');
    if (query != std::string::npos) {
        error = "parameters after '?' are not read: " + text;
        return false;
    }
    const std::size_t slash = rest.find('/');
    if (slash == std::string::npos || slash + 1 == rest.size()) {
        error = "no database name (postgresql://user@host:port/dbname): " + text;
        return false;
    }
    address.database = decoded(rest.substr(slash + 1));
    std::string authority = rest.substr(0, slash);
    const std::size_t at = authority.rfind('@');
    if (at != std::string::npos) {
        const std::string user = authority.substr(0, at);
        if (user.find(':') != std::string::npos) {
            error = "a password is never read from the address: keep it in PGPASSFILE or ~/.pgpass";
            return false;
        }
        address.user = decoded(user);
        authority = authority.substr(at + 1);
    }
    std::string port;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string::npos) {
            error = "unclosed '[' in the host: " + text;
            return false;
        }
        address.host = authority.substr(1, close - 1);
        if (close + 1 < authority.size()) {
            if (authority[close + 1] != ':') {
                error = "unreadable host: " + text;
                return false;
            }
            port = authority.substr(close + 2);
        }
    } else {
        const std::size_t colon = authority.find(':');
        address.host = decoded(authority.substr(0, colon));
        if (colon != std::string::npos)
            port = authority.substr(colon + 1);
    }
    if (address.host.empty()) {
        error = "no host: " + text;
        return false;
    }
    if (!port.empty()) {
        const long number = digitsOnly(port) ? std::strtol(port.c_str(), nullptr, 10) : 0;
        if (number < 1 || number > 65535) {
            error = "the port is not a number from 1 to 65535: " + text;
            return false;
        }
        address.port = static_cast<int>(number);
    }
    return true;
}

std::string PostgresAddress::text() const {
    const bool v6 = host.find(':') != std::string::npos;
    return "postgresql://" + (user.empty() ? std::string() : user + "@") + (v6 ? "[" + host + "]" : host) +
           ":" + std::to_string(port) + "/" + database;
}

QSqlError openPostgres(QSqlDatabase& database, const QString& name, const PostgresAddress& address) {
    database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    if (!database.isValid())
        return QSqlError(QString(), QStringLiteral("Qt's PostgreSQL driver (QPSQL) is not installed"),
                         QSqlError::ConnectionError, QStringLiteral("-1"));
    database.setHostName(QString::fromStdString(address.host));
    database.setPort(address.port);
    if (!address.user.empty())
        database.setUserName(QString::fromStdString(address.user));
    database.setDatabaseName(QString::fromStdString(address.database));
    database.setConnectOptions(QStringLiteral("connect_timeout=10;application_name=pipeviewer"));
    if (!database.open())
        return database.lastError();
    return QSqlError();
}
