#pragma once

#include "modeling/RecordGrid.h"
#include "network/CPPipeLine.h"
#include "network/LoadGate.h"

#include <osg/Matrixd>
#include <osg/Referenced>
#include <osg/Vec3d>
#include <osg/Vec4ub>
#include <osg/observer_ptr>
#include <osg/ref_ptr>

#include <cstdint>
#include <list>
#include <mutex>
#include <string>
#include <vector>

namespace osg {
class Geode;
class Group;
class Node;
} // namespace osg
namespace osgEarth {
class GeoExtent;
}
namespace osgModeling {
class Curve;
}
class DBPoint;
class OverviewDrawing;
class SurveyNumberIndex;
class PipeVisitor;

// The pipe layer of one utility kind: the kind's segments, read from its line table
// joined to its point table, its point categories, and the scene built from them.
class DBPipe : public osg::Referenced {
public:
    // How far from the eye a segment's tube is drawn.
    static constexpr float PipeRange = 1000.0f;
    // How many of a kind's longest segments the drawings from afar show when the kind is
    // read by extent.
    static constexpr std::size_t OverviewSegments = 10000;

    DBPipe(std::string kindCode, std::string layerName, osg::Vec4ub colour);

    virtual osg::Vec4ub getLayerColor();
    virtual std::string getLayerName();
    // The whole layer: its pipes, then its points. Built on the first call; later calls
    // return the same graph.
    virtual osg::Group* buildAll();
    virtual osg::Group* getPipesGroup();
    virtual void accept(PipeVisitor& visitor);
    // Appends the kind's segments to `out`; false when nothing could be read. A layer
    // that is no particular kind reads nothing.
    virtual bool loadSegments(std::list<CPPipeLine>& out);
    // The kind's segments, loaded on first use and unchanged afterwards, so their
    // addresses stay valid while the layer lives. While no load has found any, an
    // empty list, and the next call loads again.
    virtual const std::list<CPPipeLine>& segments();
    // A level-of-detail node (drawn within PipeRange) over the placed body of one segment,
    // carrying a pooled copy of the segment; without a body when the segment has none.
    virtual osg::Node* createSegmentNode(const CPPipeLine& segment);
    // One tile's content: the points and the pipes within `extent`, new on every call,
    // shown or hidden as the host remembers for this kind. The caller owns it; the
    // layer only keeps weak references to its root and its pipes.
    virtual osg::Group* buildExtent(osgEarth::GeoExtent extent);
    // Adds this kind to a drawing of `extent` seen from afar: every segment whose start
    // point lies in the extent as a line, every point of its categories there as a dot
    // (the extent's edges as the points' tiles take them, so each segment and point is in
    // the drawing of exactly one of the tiles of a level).
    virtual void addOverview(const osgEarth::GeoExtent& extent, OverviewDrawing& drawing);
    // What the drawings from afar take the kind's segments from: the kind's segments when
    // it is read whole, its OverviewSegments longest when it is read by extent (read once,
    // on first use; asked again while none could be read).
    const std::list<CPPipeLine>& overviewSegments();
    // A tube of section `shape` from `start` to `end`, in the layer colour.
    virtual osg::Geode* loftSection(osg::Vec3d start, osg::Vec3d end, osgModeling::Curve* shape);
    // The body of a segment in its own frame, whose placement in the world is written
    // to `placement`; null when the segment has no length or no section to draw.
    virtual osg::Node* createSegmentGeometry(const CPPipeLine& segment, osg::Matrixd& placement);
    // The pipes group of every tile built so far (dead ones included until pruned).
    // Tiles are built on pager threads: hold extentListsMutex() while using it.
    virtual std::list<osg::observer_ptr<osg::Node>>& getExtentPipeGroups();
    virtual void addPoint(const osg::ref_ptr<DBPoint>& category);
    // The first category of that exact name, or null.
    virtual DBPoint* findPointCategory(const std::string& name);
    // Shows or hides the pipes and points of every live tile of the layer and its part
    // of the live overview drawings (not the graph of buildAll).
    virtual void setPipesVisible(bool visible);
    // Lids and shafts are shared by every well of a category, in every tile.
    virtual void setLidsVisible(bool visible);
    virtual void setChambersVisible(bool visible);
    // Height of a segment's ends: the terrain height there minus the burial depth;
    // the surveyed ground elevations are not used.
    virtual double startHeight(const CPPipeLine& segment);
    virtual double endHeight(const CPPipeLine& segment);

    // How this kind is read: tile by tile, each tile asking the database for its own
    // extent (the database has the kind's extent side table, and the host allows it), or
    // whole before the first tile. Decided on first use; Unknown (and asked again next
    // time) while the database cannot be reached.
    enum class Reading { Whole, ByExtent, Unknown };
    virtual Reading reading();
    // The host's choice for every layer made after it: read by extent where the database
    // allows (the default), or every kind whole.
    static void allowReadingByExtent(bool allowed);
    // While this thread builds a tile of this layer read by extent: the tile's segments by
    // survey number, where its fittings find their pipes. Null otherwise.
    const SurveyNumberIndex* tileSegments() const;

    std::string getKindCode();
    const std::list<osg::ref_ptr<DBPoint>>& getPointCategories() const { return pointCategories; }
    // The live pipes groups of the tiles, taken under the lock.
    std::vector<osg::ref_ptr<osg::Node>> liveExtentPipeGroups();
    std::mutex& extentListsMutex() { return extentListsLock; }
    // The grid the extent selection finds this layer's loaded segments through.
    RecordGrid<CPPipeLine>& segmentGrid() { return segmentIndex; }

protected:
    ~DBPipe() override;

    // Runs the kind's line query and appends its rows, each marked with this layer's
    // name and colour.
    bool loadLineQuery(const std::string& lineTable, const std::string& pointTable,
                       std::list<CPPipeLine>& out);
    // The kind's line and point tables; false for a layer that is no particular kind.
    virtual bool kindTables(std::string& lineTable, std::string& pointTable);

    std::string kindCode;
    std::string layerName;
    osg::Vec4ub colour;
    std::list<CPPipeLine> segmentRecords;
    osg::ref_ptr<osg::Group> rootGroup;
    osg::ref_ptr<osg::Group> pipesGroup;
    osg::ref_ptr<osg::Group> pointsGroup;
    osg::ref_ptr<osg::Group> plainPointsGroup;
    osg::ref_ptr<osg::Group> ownLookPointsGroup;
    std::list<osg::ref_ptr<DBPoint>> pointCategories;
    std::list<osg::observer_ptr<osg::Node>> extentPipeGroups;
    std::list<osg::observer_ptr<osg::Node>> extentRoots;
    std::list<osg::observer_ptr<osg::Node>> overviewParts;

private:
    // The layer colour in the categories, so fittings take the colour of their pipes.
    void giveLayerColour(DBPoint& category);
    // Adds the nodes of the point categories, fittings to `plain`, the others to `ownLook`.
    template <class Build> void addCategoryNodes(osg::Group& plain, osg::Group& ownLook, Build build);

    // A tile's records read for its extent.
    struct TileRead;
    bool readTile(const osgEarth::GeoExtent& extent, TileRead& read);
    std::uint32_t packedColour() const;

    LoadGate segmentsGate;
    LoadGate modeGate;
    LoadGate longestGate;
    std::list<CPPipeLine> longestRecords;
    bool byExtent = false;
    std::once_flag unjoinedCounted;
    RecordGrid<CPPipeLine> segmentIndex;
    std::mutex buildAllLock;
    // What the lids and shafts were last switched to (-1: never), so tiles built on pager
    // threads switch the shared geodes, which live tiles are drawing, only on a change.
    std::recursive_mutex switchLock;
    int lidsShown = -1;
    int chambersShown = -1;
    // Guards the weak lists, which every tile appends to, and pipesShown.
    std::mutex extentListsLock;
    // What the pipes were last switched to (-1: never; then new tiles follow the host's
    // table, which outlives a layer). A tile takes it as it joins the lists, so a tile
    // built while the pipes are switched never misses the switch.
    int pipesShown = -1;
    // Whether a tile or overview part joining now shows its pipes; under extentListsLock.
    bool pipesShownNow() const;
};
