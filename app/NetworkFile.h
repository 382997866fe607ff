#pragma once

#include <QString>

#include <cstddef>
#include <string>
#include <vector>

// What a network database holds, as far as showing it needs: the kinds with rows, how
// many points and segments, where the points lie, and the ground they were surveyed on.
struct NetworkSurvey {
    struct Kind {
        std::size_t kind = 0;   // index into UtilityKinds
        long long points = 0;   // rows of the point table with map coordinates
        long long segments = 0; // rows of the line table
    };
    std::vector<Kind> kinds; // in the order of UtilityKinds, only those with rows
    long long points = 0, segments = 0;
    // Point rows whose coordinates are not numbers: the loaders leave them out too.
    long long leftOut = 0;
    // The points' map coordinates (X坐标, Y坐标): min and max. A single point gives a
    // zero-size box.
    double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
    // The median of the points' ground elevations (地面高程), when some have one.
    bool hasGround = false;
    double ground = 0;
    // What was found but not used (a point table without coordinate columns), one per line.
    QString remarks;
};

// Opening a network database directly: the pipe.xml that shows it is written for it,
// from what its tables hold and the coordinate system the user names.
class NetworkFile {
public:
    // Reads what the database at `database` (a path as Qt holds it) holds, on a connection
    // of its own (removed again), the file reached as the plug-in reaches it: SQLite
    // read-only, Access through the reader program. False with the reason when the file is
    // missing, not a regular file, not a database this program reads, cannot be read
    // (damaged), has no pipe tables or no point with map coordinates. May take as long as
    // the Access reader may (AccessMirror.h); safe on any thread.
    static bool survey(const QString& database, NetworkSurvey& survey, QString& error);

    // The text of a pipe.xml showing the database (its absolute path) in the coordinate
    // system `srs`: the surveyed extent with a margin, the tile centres and the flat ground
    // at the surveyed ground (0 without one). Marked as written by this program.
    static std::string pipeXmlText(const QString& database, const std::string& srs,
                                   const NetworkSurvey& survey);

    // The extent pipe.xml is given: the points' box with a margin of 5% of its larger side,
    // at least 25 m (1e-4 degrees in a geographic system), rounded outwards to the metre
    // (1e-5 degrees).
    static void paddedExtent(const NetworkSurvey& survey, bool geographic, double& xmin, double& ymin,
                             double& xmax, double& ymax);

    // Writes the pipe.xml for the database and gives its path: "<database file name>.pipe.xml"
    // beside the database when that folder takes it, else in the application's data folder
    // (networks/, the name made unique per database). A file already there is replaced only
    // when it still carries this program's mark (a file it wrote);
    // a file of the user's own is kept and the next free name "<name>.2.pipe.xml", ... taken.
    static bool write(const QString& database, const std::string& srs, const NetworkSurvey& survey,
                      QString& pipeXml, QString& error);

    // Whether GDAL reads `srs` (an EPSG code, WKT or a PROJ string) as a map's coordinate
    // system; false with the reason otherwise.
    static bool checkSrs(const std::string& srs, std::string& reason);

    // The comment that marks a pipe.xml as written here.
    static const char* const mark;
};
