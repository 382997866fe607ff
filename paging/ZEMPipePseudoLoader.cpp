#include "paging/ZEMPipePseudoLoader.h"

#include "paging/CZEMPipeGraph.h"
#include "paging/PipeGraphRegistry.h"

#include <osgDB/FileNameUtils>

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace {

// A run of decimal digits that fits an unsigned; `at` moves past it.
bool readNumber(const std::string& text, size_t& at, unsigned& value) {
    size_t start = at;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])))
        ++at;
    if (at == start || at - start > 9)
        return false;
    value = static_cast<unsigned>(std::strtoul(text.c_str() + start, nullptr, 10));
    return true;
}

bool expect(const std::string& text, size_t& at, char c) {
    if (at >= text.size() || text[at] != c)
        return false;
    ++at;
    return true;
}

} // namespace

ZEMPipePseudoLoader::ZEMPipePseudoLoader() {
    supportsExtension("pipe_pseudo_zem", "ZEM pipe pseudo-loader");
}

bool ZEMPipePseudoLoader::parseTileName(const std::string& name, unsigned& id, unsigned& level, unsigned& x,
                                        unsigned& y) {
    size_t at = 0;
    return readNumber(name, at, id) && expect(name, at, '.') && readNumber(name, at, level) &&
           expect(name, at, '_') && readNumber(name, at, x) && expect(name, at, '_') &&
           readNumber(name, at, y) && expect(name, at, '.') && at < name.size();
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
