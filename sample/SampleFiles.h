#pragma once

#include <string>

class SampleNetwork;

// The files a sample network is delivered in. Each returns an empty string on success and
// otherwise says what went wrong; paths are UTF-8, as the file system takes them.
namespace samplefiles {

// The thirty tables TQMB_xxPoint and TQMB_xxLine with their Chinese columns, in SQLite.
// An empty text (a plain survey point has no facility) is written as NULL.
std::string writeSqlite(const SampleNetwork& network, const std::string& path);

// The same tables in an Access (Jet 4) file, as survey teams deliver them.
std::string writeMdb(const SampleNetwork& network, const std::string& path);

// The network configuration: element "pipeline", child "conn" whose "str" is the database,
// and beside it the host application's "view" (srs, extent, baseZ, ground) of the network,
// with the orthophoto laid on its ground when one is named (a path from pipe.xml's folder).
std::string writePipeXml(const SampleNetwork& network, const std::string& path,
                         const std::string& databasePath, const std::string& imagery = std::string());

// What the host reads the network with: {"srs", "extent" ("xmin ymin xmax ymax"), "baseZ"}.
std::string writeHostInfo(const SampleNetwork& network, const std::string& path);

// The column names and SQL types of the two tables of a kind (GBK names).
struct Column {
    const char* name;
    bool text;
};
extern const Column kPointColumns[8];
extern const Column kLineColumns[7];

} // namespace samplefiles
