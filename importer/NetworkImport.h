#pragma once

#include <ostream>
#include <string>

// Copies a network's point and line tables, kind by kind, into a PostgreSQL server or an
// SQLite file, where the viewer then reads them as from any network database.
struct ImportOptions {
    // GBK: an Access or SQLite network file, a postgresql:// address, or a pipe.xml whose
    // conn str names one (a relative name taken from the pipe.xml's folder).
    std::string source;
    // GBK: a postgresql:// address, or an SQLite file (.sqlite, .db or .gpkg), made when missing.
    std::string target;
    // Rows per multi-row INSERT.
    int batch = 5000;
};

// Each kind whose tables the source holds is copied in one transaction on the target: its
// point table, line table and extent side table dropped, the two tables made anew with the
// source's columns and filled, the extent side table and indexes built. A kind that fails
// is rolled back (the target keeps what it had), reported, and the others go on; running
// again replaces each kind's tables with the same.
//
// A progress line per table and a summary per kind go to `log` (UTF-8), the conn element
// that names the target in a pipe.xml to `out`. The exit status: 0 when every kind was
// copied, 1 when one failed or a database could not be opened, 2 when the options are
// unusable (a target that is the source itself, or a file the viewer would not read as SQLite).
int importNetwork(const ImportOptions& options, std::ostream& out, std::ostream& log);
