#pragma once

#include <osgDB/ReaderWriter>

// Answers the pager's requests for the tiles of the live pipe graphs, named
// "id.level_column_row.pipe_pseudo_zem".
class ZEMPipePseudoLoader : public osgDB::ReaderWriter {
public:
    ZEMPipePseudoLoader();
    using osgDB::ReaderWriter::readNode;
    ReadResult readNode(const std::string& fileName, const osgDB::Options* options) const override;

    // Decodes a tile name; false unless the whole name has that form.
    static bool parseTileName(const std::string& fileName, unsigned& id, unsigned& level, unsigned& x,
                              unsigned& y);
};
