#pragma once

#include "layers/PipeVisitor.h"
#include "modeling/ExtentGrid.h"
#include "modeling/ExtentLookup.h"
#include "network/CPPipeLine.h"

#include "geo/GeoExtent.h"

#include <vector>

// Collects the segments of the visited layers whose bounding rectangle meets a tile's
// extent, edges included: a segment that only touches the edge between two tiles is
// built in both, so no pipe breaks off at a tile border. In segment-list order, as the
// addresses of the layers' loaded segments.
// The extent's coordinate system is not consulted: the survey coordinates are the map's.
class extentPipeVisitor : public PipeVisitor {
public:
    explicit extentPipeVisitor(osgEarth::GeoExtent extent, ExtentLookup lookup = defaultExtentLookup());

    void apply(DBPipe& layer) override;
    // The rectangle a segment covers, as the layers' segment grids are built on.
    static ExtentGrid::Box segmentBox(const CPPipeLine& segment);
    // Whether the segment's rectangle meets the closed `tile`.
    static bool meets(const ExtentGrid::Box& tile, const CPPipeLine& segment);
    const std::vector<const CPPipeLine*>& getResult() const { return result; }

    osgEarth::GeoExtent extent;
    std::vector<const CPPipeLine*> result;

private:
    ExtentLookup lookup;
};
