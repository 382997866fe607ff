#pragma once

#include "geo/ReadWriteMutex.h"

#include <osg/observer_ptr>
#include <osg/ref_ptr>

#include <map>

class CZEMPipeGraph;

// The live paged pipe graphs by id, for the tile loader on the pager threads. Ids count
// from 1 and are never reused; an entry only observes its graph, so a graph the scene
// has let go of is found no more.
class PipeGraphRegistry {
public:
    static PipeGraphRegistry& instance();

    // Registers the graph under the next id and returns that id.
    unsigned add(CZEMPipeGraph* graph);
    // A reference to the graph with that id while it lives; null otherwise.
    osg::ref_ptr<CZEMPipeGraph> find(unsigned id);

private:
    osgEarth::Threading::ReadWriteMutex _mutex;
    unsigned _count = 0;
    std::map<unsigned, osg::observer_ptr<CZEMPipeGraph>> _graphs;
};
