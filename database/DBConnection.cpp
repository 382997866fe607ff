#include "database/DBConnection.h"

#include "Torvik/DatabaseLock.h"
#include "database/DatabaseFailureDialog.h"
#include "text/GbkText.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#ifndef _WIN32
#include "database/AccessMirror.h"
#endif

#include <algorithm>
#include <cctype>

namespace {
bool hasExtension(const std::string& path, std::initializer_list<const char*> extensions) {
    std::string lower(path);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::any_of(extensions.begin(), extensions.end(), [&](const char* ext) {
        const std::string e(ext);
        return lower.size() > e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0;
    });
}

// The number the failure dialog shows, as QSqlError::number() reported it.
int errorNumber(const QSqlError& error) {
    const QString code = error.nativeErrorCode();
    return code.isEmpty() ? 0 : code.toInt();
}

QSqlError failure(const QString& text) {
    return QSqlError(QString(), text, QSqlError::ConnectionError, QStringLiteral("-1"));
}

QSqlError openSqlite(QSqlDatabase& database, const QString& name, const QString& file,
                     const QString& options) {
    database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    database.setDatabaseName(file);
    database.setConnectOptions(options);
    if (!database.open())
        return database.lastError();
    // SQLite opens lazily: a missing, foreign or damaged file only shows itself on the
    // first read, which must fail here and not later in a loader.
    QSqlQuery probe(database);
    if (probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
        return QSqlError();
    QSqlError error = probe.lastError();
    database.close();
    return error;
}

QSqlError openAccess(QSqlDatabase& database, const QString& name, const std::string& path) {
#ifdef _WIN32
    database = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
    database.setDatabaseName(
        QStringLiteral("DRIVER={Microsoft Access Driver (*.mdb, *.accdb)};FIL={MS Access};DBQ=") +
        gbkToQString(path));
    return database.open() ? QSqlError() : database.lastError();
#else
    std::string uri, error;
    if (!AccessMirror::attach(path, uri, error))
        return failure(gbkToQString(error));
    return openSqlite(database, name, gbkToQString(uri),
                      QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
#endif
}
// Qt keeps the last loader's connection registered after the loader is done. It goes
// with the plug-in: Qt would otherwise tear it down at its own exit, after the code that
// made it has been unloaded. Made after Qt's registry of connections exists, so at process
// exit it runs before that registry is gone.
struct ConnectionRelease {
    ~ConnectionRelease() {
        if (QCoreApplication::instance() &&
            QSqlDatabase::contains(QLatin1String(QSqlDatabase::defaultConnection)))
            QSqlDatabase::removeDatabase(QLatin1String(QSqlDatabase::defaultConnection));
    }
};
void releaseWithPlugin() {
    static ConnectionRelease release;
}
} // namespace

DBConnection::DBConnection(std::string path_) : path(std::move(path_)) {}

DBConnection::~DBConnection() = default;

bool DBConnection::open() {
    if (!lock.owns_lock())
        lock = std::unique_lock<std::recursive_mutex>(Torvik::databaseLock());

    // Every open re-registers the default connection; the one of the previous loader
    // is dropped first so that Qt has no stale handle to warn about.
    const QString name = QLatin1String(QSqlDatabase::defaultConnection);
    QSqlDatabase::contains(name); // brings Qt's registry of connections into being first
    releaseWithPlugin();
    database = QSqlDatabase();
    if (QSqlDatabase::contains(name))
        QSqlDatabase::removeDatabase(name);

    QSqlError error;
    // Regular files only: a FIFO or a device would block this thread, and the database
    // lock with it, for good. Missing files fail in the driver, as they always did.
    const QFileInfo file(gbkToQString(path));
    if (file.exists() && !file.isFile())
        error = failure(QStringLiteral("Not a regular file: ") + gbkToQString(path));
    else if (hasExtension(path, {".sqlite", ".db", ".gpkg"}))
        error = openSqlite(database, name, gbkToQString(path), QStringLiteral("QSQLITE_OPEN_READONLY"));
#ifndef _WIN32
    else if (!hasExtension(path, {".mdb", ".accdb"}))
        error = failure(QStringLiteral("Not an Access or SQLite database file: ") + gbkToQString(path));
#endif
    else
        error = openAccess(database, name, path);
    if (error.type() == QSqlError::NoError)
        return true;

    // The dialog may wait for the user: other loaders need not wait with it.
    database = QSqlDatabase();
    lock.unlock();
    DatabaseFailureDialog::show(errorNumber(error), error.text());
    return false;
}

bool DBConnection::close() {
    database.close();
    return true;
}
