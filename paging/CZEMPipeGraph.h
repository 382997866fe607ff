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
//
// With the overview, the coarser levels also carry a light drawing of the network (lines
// and dots, see OverviewDrawing), so a network of any size is seen whole from afar: the
// paged node of every tile below the root holds the drawing of its tile as child 0, shown
// from the tile diagonal outwards, and the tile itself as child 1, within the diagonal;
// while the tile is still loading, the pager's node shows the drawing in its place. The
// root tile is in range from any distance. Where a deepest tile is wider than the range
// its pipes are drawn within, its drawing shows at every distance, so no part of the tile
// is left bare between the drawing and the tubes (the lines lie inside the tubes).
class CZEMPipeGraph : public osg::Group {
public:
    static const unsigned DeepestLevel = 3;

    // The graph the read options describe: "srs" (an SRS init string), "extent"
    // ("xmin ymin xmax ymax" in that SRS) and "baseZ" (the height of the tile centres);
    // "overview" = "on" adds the drawings of the coarser levels; "extentReading" = "off" has
    // every kind read whole even where its tiles could ask for their extent. Null, with the reason in
    // `error`, when an option is missing or malformed, the SRS cannot be built or the
    // extent is empty.
    static osg::ref_ptr<CZEMPipeGraph> create(const osgDB::Options* options, std::string& error);

    // The content of one tile: the four paged children of a tile above the deepest
    // level, the network of a deepest tile, null below it or outside the graph.
    osg::ref_ptr<osg::Node> createNode(unsigned level, unsigned x, unsigned y, unsigned id) const;

    unsigned getId() const { return _id; }
    const osgEarth::GeoExtent& getExtent() const { return extent; }
    double getBaseZ() const { return baseZ; }
    bool hasOverview() const { return overview; }
    // The extent whose records a tile owns: its own, reaching one ulp further along the
    // graph's east and south edges (see createNode).
    osgEarth::GeoExtent ownedExtent(unsigned level, unsigned x, unsigned y) const;
    // The name under which the pager asks for a tile of graph `id`.
    static std::string tileName(unsigned id, unsigned level, unsigned x, unsigned y);

protected:
    ~CZEMPipeGraph() override;

private:
    CZEMPipeGraph(const osgEarth::Profile* profile, double baseZ, bool overview);
    osg::ref_ptr<osg::PagedLOD> createPagedNode(const osgEarth::GeoExtent& tileExtent, unsigned id,
                                                unsigned level, unsigned x, unsigned y) const;
    osgEarth::GeoExtent extent;
    std::unique_ptr<osgEarth::TileKey> rootKey;
    double baseZ = 0.0;
    bool overview = false;
    unsigned _id = 0;
};
