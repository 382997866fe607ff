#pragma once

#include <QSqlDatabase>
#include <QSqlError>

#include <mutex>
#include <string>

// A use of the network database on Qt's default connection: read the path from
// pipe.xml, construct, open, run the query on a default-constructed QSqlQuery, close.
// The loaders use ThreadConnection below instead, which lets them run side by side.
//
// The path decides how the file is reached: a ".sqlite", ".db" or ".gpkg" file is
// opened directly (read-only); an Access ".mdb"/".accdb" file goes through the Access
// ODBC driver on Windows and elsewhere through a cached in-memory mirror of its tables.
//
// The default connection is one per process, so a DBConnection holds the process-wide
// database lock (Torvik::databaseLock, shared with the host's own readers) from a
// successful open() until it is destroyed: users on several threads take turns instead
// of replacing each other's connection.
class DBConnection {
public:
    explicit DBConnection(std::string path);
    ~DBConnection();

    DBConnection(const DBConnection&) = delete;
    DBConnection& operator=(const DBConnection&) = delete;

    // False when the database cannot be opened or read; the failure dialog has then
    // been shown (or queued to the GUI thread, or written to standard error).
    bool open();
    bool close();

private:
    // Declared first so that it is released last, after the handle is gone.
    std::unique_lock<std::recursive_mutex> lock;
    QSqlDatabase database;
    std::string path;
};

// The calling thread's own connection to the network database, so that loaders on the
// pager threads and the frame thread read at the same time. Qt connections belong to the
// thread that made them: each thread has one, under a name of its own, made on its first
// open, kept open between loads and opened anew when the path or the file changes (a
// changed Access file gets a new mirror). Files are reached as by DBConnection, and a
// failure shows the same dialog. The connection is removed when its thread ends, and
// whatever is left when the plug-in goes. A connection to a server (a postgresql://
// address) is kept the same way, and dropped when a query fails on it (failed()).
class ThreadConnection {
public:
    explicit ThreadConnection(std::string path);
    ~ThreadConnection();

    ThreadConnection(const ThreadConnection&) = delete;
    ThreadConnection& operator=(const ThreadConnection&) = delete;

    // False when the database cannot be opened or read; the failure dialog has then been
    // shown (or queued to the GUI thread, or written to standard error).
    bool open();
    // The connection for this thread's queries (QSqlQuery(database())) after open().
    const QSqlDatabase& database() const { return handle; }
    // To be called when a query failed on the connection, after the query is gone. A
    // server's connection is dropped: one cut under it (the server restarted, the network
    // dropped) still looks open, and the next open() connects anew; a file's stays. True
    // when the query may be tried once more at once, after open(): the dropped connection
    // was kept from an earlier load and may have been cut since.
    bool failed();

private:
    QSqlDatabase handle;
    std::string path;
    bool kept = false; // open() found the thread's connection already open
};

// Opens the database file at path (GBK) as the connections above do (regular files only;
// SQLite read-only, probed with a first read; Access through its mirror) under the
// connection name, without the failure dialog: the error says why it did not open. The
// caller owns the connection and removes it when done.
QSqlError openNetworkFile(QSqlDatabase& database, const QString& name, const std::string& path);
