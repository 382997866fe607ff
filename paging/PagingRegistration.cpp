// What the plug-in registers last while it loads, in this order: the pipe graph
// reader-writer, the graph registry, the tile pseudo-loader (the control was made
// before them). At unload they go in the reverse order, so no tile can be asked of a
// registry that is gone, nor of a control that is gone.
#include "paging/PipeGraphRegistry.h"
#include "paging/ReaderWriterPipe.h"
#include "paging/ZEMPipePseudoLoader.h"

#include <osgDB/Registry>

namespace {
osgDB::RegisterReaderWriterProxy<ReaderWriterPipe> g_pipeProxy;
PipeGraphRegistry g_graphs;
osgDB::RegisterReaderWriterProxy<ZEMPipePseudoLoader> g_pseudoProxy;
} // namespace

PipeGraphRegistry& PipeGraphRegistry::instance() {
    return g_graphs;
}
