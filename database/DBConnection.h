#pragma once

#include <QSqlDatabase>

#include <mutex>
#include <string>

// One loader's use of the network database: read the path from pipe.xml, construct,
// open, run the query on a default-constructed QSqlQuery, close. The connection is
// registered under Qt's default connection name, which is why the loaders' queries
// need no database argument.
//
// The path decides how the file is reached: a ".sqlite", ".db" or ".gpkg" file is
// opened directly (read-only); an Access ".mdb"/".accdb" file goes through the Access
// ODBC driver on Windows and elsewhere through a cached in-memory mirror of its tables.
//
// The default connection is one per process, so a DBConnection holds the process-wide
// database lock (Torvik::databaseLock, shared with the host's own readers) from a
// successful open() until it is destroyed: loaders running on several pager threads, and
// the host reading the network for a cross-section, take turns instead of replacing each
// other's connection.
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
