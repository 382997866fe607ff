#pragma once

#include <QSqlDatabase>

#include <string>

// What lets a tile ask the network database for its own extent instead of every row of
// every kind: indexes on the survey numbers and on the point coordinates, and beside each
// line table a side table "<line table>_extent" with one row per pair of survey numbers a
// segment joins (start number, end number and the box its two ends span; a pair whose
// numbers name several points spans the box of all of them), indexed by that box (an R*Tree in SQLite, a GiST
// index in PostgreSQL). A kind whose line table has its side table is read tile by tile; any other kind is
// read whole.
namespace ExtentIndex {

// "<lineTable>_extent".
std::string sideTable(const std::string& lineTable);

// Builds the indexes and the side table of one kind from its line and point tables as
// they are now, on a writable connection (SQLite or PostgreSQL), inside the caller's
// transaction; a side table already there is replaced. False with the reason.
bool create(QSqlDatabase& database, const std::string& lineTable, const std::string& pointTable,
            std::string& error);

// Whether the database holds the side table of `lineTable`.
bool present(const QSqlDatabase& database, const std::string& lineTable);

// A tile's bounds, closed: what the queries below ask for. They return a superset of the
// records a tile takes (the caller applies its own edge rules), never fewer.
struct Bounds {
    double xMin, yMin, xMax, yMax;
};

// The point rows within `bounds` ("SELECT *" of the point table, as a whole load reads).
std::string pointQuery(const QSqlDatabase& database, const std::string& pointTable, const Bounds& bounds);
// The segment rows whose box meets `bounds`: the columns of the whole kind's segment query.
// With `longest`, only the pairs of survey numbers of the `longest` widest boxes there.
std::string segmentQuery(const QSqlDatabase& database, const std::string& lineTable,
                         const std::string& pointTable, const Bounds& bounds, std::size_t longest = 0);

} // namespace ExtentIndex
