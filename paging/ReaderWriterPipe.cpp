#include "paging/ReaderWriterPipe.h"

#include "paging/CZEMPipeGraph.h"

#include <osgDB/FileNameUtils>

ReaderWriterPipe::ReaderWriterPipe() {
    supportsExtension("pipe_zem", "osg zem plugin");
}

osgDB::ReaderWriter::ReadResult ReaderWriterPipe::readNode(const std::string& fileName,
                                                           const osgDB::Options* options) const {
    if (!acceptsExtension(osgDB::getLowerCaseFileExtension(fileName)))
        return ReadResult::FILE_NOT_HANDLED;
    std::string error;
    osg::ref_ptr<CZEMPipeGraph> graph = CZEMPipeGraph::create(options, error);
    if (!graph)
        return ReadResult("pipe graph " + fileName + ": " + error);
    return ReadResult(graph.get(), ReadResult::FILE_LOADED);
}
