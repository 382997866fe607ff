#pragma once

#include "geo/GeoExtent.h"
#include "geo/TileKey.h"

#include <osg/Group>

#include <memory>
#include <string>

namespace osgDB {
class Options;
}
namespace osg {
class PagedLOD;
}

// The pipe network as a paged quadtree of four levels over one extent. Only the 64
// tiles of the deepest level carry content, which the pipeline control builds from its
// pipe layers; the levels above only page their children in as the eye comes within a
// tile diagonal of a tile's centre.
class CZEMPipeGraph : public osg::Group {
public:
    static const unsigned DeepestLevel = 3;

    // The graph the read options describe: "srs" (an SRS init string), "extent"
    // ("xmin ymin xmax ymax" in that SRS) and "baseZ" (the height of the tile centres).
    // Null, with the reason in `error`, when an option is missing or malformed, the SRS
    // cannot be built or the extent is empty.
    static osg::ref_ptr<CZEMPipeGraph> create(const osgDB::Options* options, std::string& error);

    // The content of one tile: the four paged children of a tile above the deepest
    // level, the network of a deepest tile, null below it or outside the graph.
    osg::ref_ptr<osg::Node> createNode(unsigned level, unsigned x, unsigned y, unsigned id) const;

    unsigned getId() const { return _id; }
    const osgEarth::GeoExtent& getExtent() const { return extent; }
    double getBaseZ() const { return baseZ; }
    // The name under which the pager asks for a tile of graph `id`.
    static std::string tileName(unsigned id, unsigned level, unsigned x, unsigned y);

protected:
    ~CZEMPipeGraph() override;

private:
    CZEMPipeGraph(const osgEarth::Profile* profile, double baseZ);
    osg::ref_ptr<osg::PagedLOD> createPagedNode(const osgEarth::GeoExtent& tileExtent, unsigned id,
                                                unsigned level, unsigned x, unsigned y) const;

    osgEarth::GeoExtent extent;
    std::unique_ptr<osgEarth::TileKey> rootKey;
    double baseZ = 0.0;
    unsigned _id = 0;
};
