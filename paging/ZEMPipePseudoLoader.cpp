#include "paging/ZEMPipePseudoLoader.h"

#include "paging/CZEMPipeGraph.h"
#include "paging/PipeGraphRegistry.h"

#include <osgDB/FileNameUtils>

ZEMPipePseudoLoader::ZEMPipePseudoLoader() {
    supportsExtension("pipe_pseudo_zem", "ZEM pipe pseudo-loader");
}

osgDB::ReaderWriter::ReadResult ZEMPipePseudoLoader::readNode(const std::string& fileName,
                                                              const osgDB::Options*) const {
    if (!acceptsExtension(osgDB::getLowerCaseFileExtension(fileName)))
        return ReadResult::FILE_NOT_HANDLED;
    unsigned id = 0, level = 0, x = 0, y = 0;
    if (!parseTileName(fileName, id, level, x, y))
        return ReadResult("not a pipe tile name: " + fileName);
    // Held for the whole build, so the graph cannot go while its tile is made.
    osg::ref_ptr<CZEMPipeGraph> graph = PipeGraphRegistry::instance().find(id);
    if (!graph)
        return ReadResult("no live pipe graph " + std::to_string(id) + " for " + fileName);
    osg::ref_ptr<osg::Node> node = graph->createNode(level, x, y, id);
    if (!node)
        return ReadResult("no tile " + fileName + " in pipe graph " + std::to_string(id));
    return ReadResult(node.get(), ReadResult::FILE_LOADED);
}
