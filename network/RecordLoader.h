#pragma once

#include "network/CPPipeLine.h"
#include "network/CPPoint.h"
#include "network/ExtentIndex.h"

#include <cstdint>
#include <list>
#include <string>

// Reading a kind's rows from the network database. Each load goes the whole way by
// itself: read pipe.xml, open the calling thread's connection to the database (kept open
// between loads, ThreadConnection), run one query. Loads on different threads run at the
// same time; each query's text is converted with one GbkEncoder. A load returns false
// (and appends nothing) when pipe.xml cannot be read, the database does not open (the
// connection reports that to the user), the query fails (a table or column missing) or
// the rows cannot all be read (a damaged file). Each failure is also posted to the host
// through g_playerManager->OnCallback as CXPlayerManager::LoadFailureCallback.
// On a PostgreSQL server, a query that fails on the thread's connection kept from an
// earlier load (the server restarted, the network dropped) is run once more on a new
// connection; the result's column names, which the server gives folded to lower case,
// are matched to the records' columns ignoring the case of ASCII letters.
// Rows whose coordinates are not numbers (NULL, empty, text) are left out rather than
// drawn at the origin, and counted (CXPlayerManager::LeftOutCallback).

// Every row of a kind's point table.
bool loadPointRows(const std::string& pointTable, std::list<CPPoint>& out);

// The segments of a kind: its line table joined twice to its point table by survey
// point number, so each row carries the coordinates and ground elevation of its ends.
// With `pairs`, a table or subquery named "e" whose startNumber and endNumber choose the
// segments, only those it holds that pass `pairsCondition` (if any).
std::string segmentQuery(const std::string& lineTable, const std::string& pointTable,
                         const std::string& pairs = std::string(),
                         const std::string& pairsCondition = std::string());

// Every row of a segment query, marked with the layer's name and packed colour.
bool loadSegmentRows(const std::string& query, const std::string& layerName, std::uint32_t colour,
                     std::list<CPPipeLine>& out);

// Whether the kind of `lineTable` can be read tile by tile (the database has its extent
// side table, network/ExtentIndex.h): 1 or 0; -1 when the database cannot be opened (the
// failure has been reported for `layerName`).
int readableByExtent(const std::string& lineTable, const std::string& layerName);

// The rows of a kind's point table, and the segments of a kind, that a tile within
// `bounds` may take: every row the tile takes, and perhaps some near it (the caller
// applies its edge rules). Read through the extent side table and the indexes.
bool loadPointRowsIn(const std::string& pointTable, const ExtentIndex::Bounds& bounds,
                     std::list<CPPoint>& out);
// With `longest`, only the segments of the `longest` widest boxes there.
bool loadSegmentRowsIn(const std::string& lineTable, const std::string& pointTable,
                       const ExtentIndex::Bounds& bounds, const std::string& layerName, std::uint32_t colour,
                       std::list<CPPipeLine>& out, std::size_t longest = 0);

// How many segments of a kind the segment query leaves out because an end point's number
// is not in the point table (posted as a LeftOutCallback when some are).
std::size_t countUnjoinedSegments(const std::string& lineTable, const std::string& pointTable,
                                  const std::string& layerName);
