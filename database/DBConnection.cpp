#include "database/DBConnection.h"

#include "Torvik/DatabaseLock.h"
#include "database/DatabaseFailureDialog.h"
#include "database/PostgresAddress.h"
#include "text/GbkText.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#ifndef _WIN32
#include "database/AccessMirror.h"
#endif

#include <QFile>

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <mutex>
#include <set>

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
// The names of the thread connections that are still registered. Never destroyed:
// threads may end after the plug-in's statics are gone.
struct ThreadNames {
    std::mutex mutex;
    std::set<QString> names;
};
ThreadNames& threadNames() {
    static ThreadNames* names = new ThreadNames;
    return *names;
}

// Qt keeps the connections registered after the loaders are done. They go with the
// plug-in: Qt would otherwise tear them down at its own exit, after the code that made
// them has been unloaded. Made after Qt's registry of connections exists, so at process
// exit it runs before that registry is gone. By then the threads that made them read no
// more.
struct ConnectionRelease {
    ~ConnectionRelease() {
        if (!QCoreApplication::instance())
            return;
        if (QSqlDatabase::contains(QLatin1String(QSqlDatabase::defaultConnection)))
            QSqlDatabase::removeDatabase(QLatin1String(QSqlDatabase::defaultConnection));
        std::set<QString> names;
        {
            std::lock_guard<std::mutex> lock(threadNames().mutex);
            names.swap(threadNames().names);
        }
        for (const QString& name : names)
            QSqlDatabase::removeDatabase(name);
    }
};
void releaseWithPlugin() {
    static ConnectionRelease release;
}

} // namespace

QSqlError openNetworkFile(QSqlDatabase& database, const QString& name, const std::string& path) {
    if (PostgresAddress::names(path)) {
        PostgresAddress address;
        std::string error;
        if (!PostgresAddress::parse(path, address, error))
            return failure(gbkToQString(error));
        return openPostgres(database, name, address);
    }
    // Regular files only: a FIFO or a device would block this thread for good. Missing
    // files fail in the driver, as they always did.
    const QFileInfo file(gbkToQString(path));
    if (file.exists() && !file.isFile())
        return failure(QStringLiteral("Not a regular file: ") + gbkToQString(path));
    if (hasExtension(path, {".sqlite", ".db", ".gpkg"}))
        return openSqlite(database, name, gbkToQString(path), QStringLiteral("QSQLITE_OPEN_READONLY"));
#ifndef _WIN32
    if (!hasExtension(path, {".mdb", ".accdb"}))
        return failure(QStringLiteral("Not an Access or SQLite database file: ") + gbkToQString(path));
#endif
    return openAccess(database, name, path);
}

namespace {

// What a thread's open connection was opened on: the file as it was then (an Access
// file off Windows: its mirror). Empty when the file is not one to keep a connection to.
std::string openedOn(const std::string& path) {
    if (PostgresAddress::names(path))
        return path;
    const QFileInfo file(gbkToQString(path));
    if (!file.isFile())
        return std::string();
#ifndef _WIN32
    if (hasExtension(path, {".mdb", ".accdb"})) {
        std::string uri, error;
        return AccessMirror::attach(path, uri, error) ? uri : std::string();
    }
#endif
    // From stat itself: Qt's file times go through the C library's time zone, whose
    // state loaders on several threads would share.
    struct stat status {};
    if (stat(QFile::encodeName(file.absoluteFilePath()).constData(), &status) != 0)
        return std::string();
    return path + "|" + std::to_string(status.st_size) + "|" + std::to_string(status.st_mtim.tv_sec) + "." +
           std::to_string(status.st_mtim.tv_nsec) + "|" + std::to_string(status.st_ctim.tv_sec) + "." +
           std::to_string(status.st_ctim.tv_nsec) + "|" + std::to_string(status.st_ino);
}

// The calling thread's connection: its name, and what it is open on (empty: not open).
struct ThreadSlot {
    QString name;
    std::string identity;
    bool registered = false;

    ThreadSlot() {
        // The plug-in and the host (which reads the network too) each have a copy of this
        // code, and Qt's registry of connection names is one per process: the counter's
        // address tells the copies' names apart.
        static std::atomic<unsigned> serial{0};
        name =
            QStringLiteral("pn-network-%1-%2").arg(reinterpret_cast<quintptr>(&serial), 0, 16).arg(++serial);
    }
    ~ThreadSlot() { drop(); }

    void drop() {
        identity.clear();
        if (!registered)
            return;
        registered = false;
        {
            std::lock_guard<std::mutex> lock(threadNames().mutex);
            if (threadNames().names.erase(name) == 0)
                return; // already gone with the plug-in
        }
        QSqlDatabase::removeDatabase(name);
    }
    void enrol() {
        registered = true;
        std::lock_guard<std::mutex> lock(threadNames().mutex);
        threadNames().names.insert(name);
    }
};
ThreadSlot& threadSlot() {
    thread_local ThreadSlot slot;
    return slot;
}

void reportFailure(const QSqlError& error) {
    DatabaseFailureDialog::show(errorNumber(error), error.text());
}
} // namespace

DBConnection::DBConnection(std::string path_) : path(std::move(path_)) {}

DBConnection::~DBConnection() = default;

bool DBConnection::open() {
    if (!lock.owns_lock())
        lock = std::unique_lock<std::recursive_mutex>(Torvik::databaseLock());

    // Every open re-registers the default connection; the one of the previous user
    // is dropped first so that Qt has no stale handle to warn about.
    const QString name = QLatin1String(QSqlDatabase::defaultConnection);
    QSqlDatabase::contains(name); // brings Qt's registry of connections into being first
    releaseWithPlugin();
    database = QSqlDatabase();
    if (QSqlDatabase::contains(name))
        QSqlDatabase::removeDatabase(name);

    const QSqlError error = openNetworkFile(database, name, path);
    if (error.type() == QSqlError::NoError)
        return true;

    // The dialog may wait for the user: others need not wait with it.
    database = QSqlDatabase();
    lock.unlock();
    reportFailure(error);
    return false;
}

bool DBConnection::close() {
    database.close();
    return true;
}

ThreadConnection::ThreadConnection(std::string path_) : path(std::move(path_)) {}

ThreadConnection::~ThreadConnection() = default;

bool ThreadConnection::open() {
    QSqlDatabase::contains(QString()); // brings Qt's registry of connections into being first
    releaseWithPlugin();
    ThreadSlot& slot = threadSlot();
    const std::string identity = openedOn(path);
    kept = false;
    if (!identity.empty() && identity == slot.identity) {
        handle = QSqlDatabase::database(slot.name, false);
        if (handle.isOpen()) {
            kept = true;
            return true;
        }
    }
    handle = QSqlDatabase();
    slot.drop();
    slot.enrol();
    const QSqlError error = openNetworkFile(handle, slot.name, path);
    if (error.type() == QSqlError::NoError) {
        slot.identity = identity;
        return true;
    }
    handle = QSqlDatabase();
    slot.drop();
    reportFailure(error);
    return false;
}

bool ThreadConnection::failed() {
    if (!PostgresAddress::names(path))
        return false;
    handle = QSqlDatabase();
    threadSlot().drop();
    const bool retry = kept;
    kept = false;
    return retry;
}
