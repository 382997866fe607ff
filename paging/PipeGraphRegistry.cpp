#include "paging/PipeGraphRegistry.h"

#include "paging/CZEMPipeGraph.h"

unsigned PipeGraphRegistry::add(CZEMPipeGraph* graph) {
    osgEarth::Threading::ScopedWriteLock lock(_mutex);
    unsigned id = ++_count;
    _graphs[id] = graph;
    return id;
}

osg::ref_ptr<CZEMPipeGraph> PipeGraphRegistry::find(unsigned id) {
    osgEarth::Threading::ScopedReadLock lock(_mutex);
    osg::ref_ptr<CZEMPipeGraph> graph;
    auto found = _graphs.find(id);
    if (found != _graphs.end())
        found->second.lock(graph); // null once the graph is being destroyed
    return graph;
}
