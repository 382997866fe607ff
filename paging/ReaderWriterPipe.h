#pragma once

#include <osgDB/ReaderWriter>

// Reading any name with the extension "pipe_zem" makes a paged pipe graph from the
// read options; no file is touched.
class ReaderWriterPipe : public osgDB::ReaderWriter {
public:
    ReaderWriterPipe();
    virtual const char* description() const { return "osgdb zem Pipe Plugin"; }
    using osgDB::ReaderWriter::readNode;
    ReadResult readNode(const std::string& fileName, const osgDB::Options* options) const override;
};
