#include "layers/DBPipe.h"

#include "layers/DBPoint.h"
#include "layers/PipeVisitor.h"
#include "layers/SurveyNumberIndex.h"
#include "network/RecordLoader.h"

#include "layers/extentPipeVisitor.h"
#include "layers/extentPointVisitor.h"
#include "modeling/CXColorVisitor.h"
#include "modeling/OverviewDrawing.h"
#include "modeling/PipeBody.h"
#include "modeling/SegmentFrame.h"
#include "network/PipeSection.h"

#include "Selmor/CXViewer.h"
#include "Torvik/CXPlayerManager.h"
#include "geo/GeoExtent.h"
#include "loft/Loft.h"

#include <osg/Geode>
#include <osg/Group>
#include <osg/LOD>
#include <osg/MatrixTransform>
#include <osg/Shape>
#include <osg/ShapeDrawable>

#include <atomic>
#include <cmath>
#include <utility>

DBPipe::DBPipe(std::string kindCode_, std::string layerName_, osg::Vec4ub colour_)
    : kindCode(std::move(kindCode_)), layerName(std::move(layerName_)), colour(colour_) {}

DBPipe::~DBPipe() = default;

namespace {
std::atomic<bool> readingByExtentAllowed{true};

// The tile of a layer read by extent that this thread is building.
struct BuildingTile {
    const DBPipe* layer = nullptr;
    const SurveyNumberIndex* index = nullptr;
};
thread_local BuildingTile buildingTile;

// Makes `index` this thread's tile segments of `layer` while it lives (nothing when null).
class TileScope {
public:
    TileScope(const DBPipe& layer, const SurveyNumberIndex* index) : saved(buildingTile) {
        if (index)
            buildingTile = {&layer, index};
    }
    ~TileScope() { buildingTile = saved; }
    TileScope(const TileScope&) = delete;
    TileScope& operator=(const TileScope&) = delete;

private:
    BuildingTile saved;
};
} // namespace

osg::Vec4ub DBPipe::getLayerColor() {
    return colour;
}

std::string DBPipe::getLayerName() {
    return layerName;
}

std::string DBPipe::getKindCode() {
    return kindCode;
}

namespace {

void putColourShader(osg::Group& group) {
    osg::ref_ptr<CXColorVisitor> shader = new CXColorVisitor;
    group.accept(*shader);
}

// A weak list of tile nodes: the live ones, the dead ones dropped.
std::vector<osg::ref_ptr<osg::Node>> liveNodes(std::list<osg::observer_ptr<osg::Node>>& nodes) {
    std::vector<osg::ref_ptr<osg::Node>> live;
    for (auto entry = nodes.begin(); entry != nodes.end();) {
        osg::ref_ptr<osg::Node> node;
        if (entry->lock(node)) {
            live.push_back(node);
            ++entry;
        } else {
            entry = nodes.erase(entry);
        }
    }
    return live;
}

// The layer colour as drawables take it.
osg::Vec4 drawnColour(const osg::Vec4ub& colour) {
    return osg::Vec4(colour.r() / 255.0f, colour.g() / 255.0f, colour.b() / 255.0f, colour.a() / 255.0f);
}

} // namespace

void DBPipe::giveLayerColour(DBPoint& category) {
    osg::Vec4d layerColour(colour.r() / 255.0, colour.g() / 255.0, colour.b() / 255.0, colour.a() / 255.0);
    // Tiles build on several threads; the colour is only written when it is not there yet.
    if (category.getColor() != layerColour)
        category.getColor() = layerColour;
}

template <class Build> void DBPipe::addCategoryNodes(osg::Group& plain, osg::Group& ownLook, Build build) {
    for (auto& category : pointCategories) {
        giveLayerColour(*category);
        osg::Group& group = category->hasOwnLook() ? ownLook : plain;
        group.addChild(build(*category));
    }
    putColourShader(plain);
    // Wells and equipment are drawn in their textures, not by the pipes' colour shader.
    CXColorVisitor::stopAt(ownLook);
}

osg::Group* DBPipe::buildAll() {
    std::lock_guard<std::mutex> lock(buildAllLock);
    if (rootGroup)
        return rootGroup.get();
    osg::ref_ptr<osg::Group> pipes = new osg::Group;
    for (const CPPipeLine& segment : segments())
        pipes->addChild(createSegmentNode(segment));
    putColourShader(*pipes);

    osg::ref_ptr<osg::Group> points = new osg::Group, plain = new osg::Group, ownLook = new osg::Group;
    addCategoryNodes(*plain, *ownLook, [](DBPoint& category) { return category.buildAll(); });
    points->addChild(plain);
    points->addChild(ownLook);

    osg::ref_ptr<osg::Group> root = new osg::Group;
    root->addChild(pipes);
    root->addChild(points);
    pipesGroup = pipes;
    pointsGroup = points;
    plainPointsGroup = plain;
    ownLookPointsGroup = ownLook;
    rootGroup = root;
    return rootGroup.get();
}

osg::Group* DBPipe::getPipesGroup() {
    std::lock_guard<std::mutex> lock(buildAllLock);
    return pipesGroup.get();
}

osg::Node* DBPipe::createSegmentNode(const CPPipeLine& segment) {
    osg::Matrixd placement;
    osg::ref_ptr<osg::Node> body = createSegmentGeometry(segment, placement);
    osg::ref_ptr<osg::MatrixTransform> placed = new osg::MatrixTransform(placement);
    placed->setName(segment.gid);
    if (body)
        placed->addChild(body);
    osg::ref_ptr<osg::LOD> lod = new osg::LOD;
    lod->addChild(placed, 0.0f, PipeRange);
    lod->setName(layerName);
    lod->setUserData(new CPPipeLine(segment, lod.get()));
    return lod.release();
}

struct DBPipe::TileRead {
    std::list<CPPipeLine> segments;
    std::list<CPPoint> points;
    // Those the tile takes, by the extent visitors' rules.
    std::vector<const CPPipeLine*> chosenSegments;
    std::vector<const CPPoint*> chosenPoints;
    std::unique_ptr<SurveyNumberIndex> bySurveyNumber;
};

bool DBPipe::readTile(const osgEarth::GeoExtent& extent, TileRead& read) {
    std::string lineTable, pointTable;
    kindTables(lineTable, pointTable);
    const ExtentIndex::Bounds bounds{extent.xMin(), extent.yMin(), extent.xMax(), extent.yMax()};
    if (!loadSegmentRowsIn(lineTable, pointTable, bounds, layerName, packedColour(), read.segments) ||
        !loadPointRowsIn(pointTable, bounds, read.points))
        return false;
    const ExtentGrid::Box tile{bounds.xMin, bounds.yMin, bounds.xMax, bounds.yMax};
    for (const CPPipeLine& segment : read.segments)
        if (extentPipeVisitor::meets(tile, segment))
            read.chosenSegments.push_back(&segment);
    for (const CPPoint& point : read.points)
        if (extentPointVisitor::inside(tile, point))
            read.chosenPoints.push_back(&point);
    // Every pipe that meets at a point of the tile spans a box that holds the point, so
    // the fittings find all of theirs among the tile's own segments.
    read.bySurveyNumber = std::make_unique<SurveyNumberIndex>(read.segments);
    // What a whole load says about segments whose ends are not in the point table, once.
    std::call_once(unjoinedCounted, [&] { countUnjoinedSegments(lineTable, pointTable, layerName); });
    return true;
}

osg::Group* DBPipe::buildExtent(osgEarth::GeoExtent extent) {
    // The tile's tubes share one vertex buffer; the tile is this thread's until returned.
    PipeBodies::SharedTubeBuffer tubeBuffer;
    // A kind read by extent whose database cannot be reached now leaves this tile without
    // its pipes and points; the next tile asks again.
    const Reading how = reading();
    TileRead read;
    std::vector<const CPPipeLine*> chosen;
    if (how == Reading::Whole) {
        extentPipeVisitor inExtent(extent);
        accept(inExtent);
        chosen = std::move(inExtent.result);
    } else if (how == Reading::ByExtent && readTile(extent, read)) {
        chosen = read.chosenSegments;
    }
    const TileScope scope(*this, read.bySurveyNumber.get());

    osg::ref_ptr<osg::Group> pipes = new osg::Group;
    for (const CPPipeLine* segment : chosen)
        pipes->addChild(createSegmentNode(*segment));
    putColourShader(*pipes);
    osg::ref_ptr<osg::Group> pipesWrapper = new osg::Group;
    pipesWrapper->addChild(pipes);

    osg::ref_ptr<osg::Group> points = new osg::Group, plain = new osg::Group, ownLook = new osg::Group;
    addCategoryNodes(*plain, *ownLook, [&](DBPoint& category) {
        if (how == Reading::Whole)
            return category.buildExtent(extent);
        // A tee with an inspection well on it belongs to both categories, as in a whole kind.
        std::vector<const CPPoint*> mine;
        for (const CPPoint* point : read.chosenPoints)
            if (point->nature == category.getName() || point->facility == category.getName())
                mine.push_back(point);
        return category.buildNodes(mine);
    });
    points->addChild(plain);
    points->addChild(ownLook);

    osg::ref_ptr<osg::Group> tile = new osg::Group;
    tile->addChild(points);
    tile->addChild(pipesWrapper);
    {
        std::lock_guard<std::mutex> lock(extentListsLock);
        // Tiles come and go as the camera moves: the entries of unloaded ones go here.
        liveNodes(extentPipeGroups);
        liveNodes(extentRoots);
        extentPipeGroups.emplace_back(pipesWrapper.get());
        extentRoots.emplace_back(tile.get());
        // Only the new tile: the tiles already in the scene are being drawn, and they
        // already show what the layer was switched to.
        tile->setNodeMask(pipesShownNow() ? ~0u : 0u);
    }

    PIPEVISIBLETABLE shown;
    if (g_pCXviewer)
        g_pCXviewer->getPipeVisible(kindCode, shown);
    {
        std::lock_guard<std::recursive_mutex> lock(switchLock);
        if (lidsShown != shown.lid)
            setLidsVisible(shown.lid);
        if (chambersShown != shown.chamber)
            setChambersVisible(shown.chamber);
    }
    return tile.release();
}

void DBPipe::addOverview(const osgEarth::GeoExtent& extent, OverviewDrawing& drawing) {
    const ExtentGrid::Box tile{extent.xMin(), extent.yMin(), extent.xMax(), extent.yMax()};
    auto startsInside = [&tile](const CPPipeLine& segment) {
        return tile.xMin <= segment.startX && segment.startX < tile.xMax && tile.yMin < segment.startY &&
               segment.startY <= tile.yMax;
    };
    // A kind read by extent is never read whole, not even for a drawing from afar: the
    // drawings have its longest pipes (the mains), and no points.
    const Reading how = reading();
    std::vector<const CPPipeLine*> chosen;
    if (how == Reading::ByExtent) {
        for (const CPPipeLine& segment : overviewSegments())
            if (startsInside(segment))
                chosen.push_back(&segment);
    } else if (how == Reading::Whole) {
        segmentGrid().select(segments(), &extentPipeVisitor::segmentBox, tile,
                             defaultExtentLookup() == ExtentLookup::Indexed, startsInside, chosen);
    }
    std::vector<osg::Vec3d> lineEnds, points;
    lineEnds.reserve(2 * chosen.size());
    for (const CPPipeLine* segment : chosen) {
        lineEnds.emplace_back(segment->startX, segment->startY, startHeight(*segment));
        lineEnds.emplace_back(segment->endX, segment->endY, endHeight(*segment));
    }
    for (auto& category : pointCategories) {
        if (how != Reading::Whole)
            break;
        extentPointVisitor inExtent(extent);
        category->accept(inExtent);
        for (const CPPoint* record : inExtent.getResult())
            points.push_back(category->position(*record));
    }
    osg::ref_ptr<osg::Node> part = drawing.addKind(layerName, drawnColour(colour), lineEnds, points);
    if (!part)
        return;
    std::lock_guard<std::mutex> lock(extentListsLock);
    part->setNodeMask(pipesShownNow() ? ~0u : 0u);
    liveNodes(overviewParts);
    overviewParts.emplace_back(part.get());
}

const std::list<CPPipeLine>& DBPipe::overviewSegments() {
    const Reading how = reading();
    if (how != Reading::ByExtent)
        return how == Reading::Whole ? segments() : unfilledList<CPPipeLine>();
    const bool filled = longestGate.ensure([this] {
        std::string lineTable, pointTable;
        kindTables(lineTable, pointTable);
        const double far = 1e300;
        if (!loadSegmentRowsIn(lineTable, pointTable, {-far, -far, far, far}, layerName, packedColour(),
                               longestRecords, OverviewSegments))
            longestRecords.clear();
        return !longestRecords.empty();
    });
    return filled ? longestRecords : unfilledList<CPPipeLine>();
}

osg::Geode* DBPipe::loftSection(osg::Vec3d start, osg::Vec3d end, osgModeling::Curve* shape) {
    osg::ref_ptr<osgModeling::Curve> path = new osgModeling::Curve;
    path->addPathPoint(osg::Vec3(start));
    path->addPathPoint(osg::Vec3(end));
    osg::ref_ptr<osgModeling::Loft> tube = new osgModeling::Loft;
    tube->setProfile(path.get());
    tube->addShape(shape);
    tube->update(false);
    osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array;
    colours->push_back(drawnColour(colour));
    tube->setColorArray(colours.get(), osg::Array::BIND_OVERALL);
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(tube.get());
    return geode.release();
}

osg::Node* DBPipe::createSegmentGeometry(const CPPipeLine& segment, osg::Matrixd& placement) {
    osg::Vec3d start(segment.startX, segment.startY, startHeight(segment));
    osg::Vec3d end(segment.endX, segment.endY, endHeight(segment));
    SegmentFrame frame;
    if (!SegmentFrame::between(start, end, frame))
        return nullptr;
    placement = frame.placement;

    PipeSection section = PipeSection::parse(segment.sectionSize);
    // The tube's normals, triangles and colour are shared with every tube of its size and
    // layer; its vertices are its own.
    if (section.shape == PipeSection::Shape::Round)
        return PipeBodies::roundTube(section.diameter / 2000.0, drawnColour(colour), frame.length);
    if (section.shape != PipeSection::Shape::Rectangular)
        return nullptr;
    // Height across local x (vertical for a level pipe), width across local z.
    osg::ref_ptr<osg::Box> box =
        new osg::Box(osg::Vec3(0.0f, static_cast<float>(frame.length / 2.0), 0.0f),
                     static_cast<float>(section.height / 1000.0), static_cast<float>(frame.length),
                     static_cast<float>(section.width / 1000.0));
    osg::ref_ptr<osg::ShapeDrawable> drawable = new osg::ShapeDrawable(box.get());
    drawable->setColor(drawnColour(colour));
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(drawable.get());
    return geode.release();
}

std::list<osg::observer_ptr<osg::Node>>& DBPipe::getExtentPipeGroups() {
    return extentPipeGroups;
}

std::vector<osg::ref_ptr<osg::Node>> DBPipe::liveExtentPipeGroups() {
    std::lock_guard<std::mutex> lock(extentListsLock);
    return liveNodes(extentPipeGroups);
}

bool DBPipe::pipesShownNow() const {
    if (pipesShown >= 0)
        return pipesShown == 1;
    PIPEVISIBLETABLE shown;
    if (g_pCXviewer)
        g_pCXviewer->getPipeVisible(kindCode, shown);
    return shown.pipe;
}

void DBPipe::setPipesVisible(bool visible) {
    std::lock_guard<std::mutex> lock(extentListsLock);
    pipesShown = visible ? 1 : 0;
    for (osg::ref_ptr<osg::Node>& tile : liveNodes(extentRoots))
        tile->setNodeMask(visible ? ~0u : 0u);
    for (osg::ref_ptr<osg::Node>& part : liveNodes(overviewParts))
        part->setNodeMask(visible ? ~0u : 0u);
}

void DBPipe::accept(PipeVisitor& visitor) {
    visitor.apply(*this);
}

bool DBPipe::loadSegments(std::list<CPPipeLine>&) {
    return false;
}

const std::list<CPPipeLine>& DBPipe::segments() {
    bool filled = segmentsGate.ensure([this] {
        // Rows of a load that failed half way are not kept.
        if (!loadSegments(segmentRecords))
            segmentRecords.clear();
        return !segmentRecords.empty();
    });
    return filled ? segmentRecords : unfilledList<CPPipeLine>();
}

std::uint32_t DBPipe::packedColour() const {
    return colour.r() + 256u * colour.g() + 65536u * colour.b();
}

bool DBPipe::kindTables(std::string&, std::string&) {
    return false;
}

DBPipe::Reading DBPipe::reading() {
    std::string lineTable, pointTable;
    if (!kindTables(lineTable, pointTable))
        return Reading::Whole;
    const bool decided = modeGate.ensure([&] {
        if (!readingByExtentAllowed.load()) {
            byExtent = false;
            if (g_playerManager)
                g_playerManager->OnCallback(CXPlayerManager::ReadingCallback, layerName + "\twhole", nullptr);
            return true;
        }
        const int found = readableByExtent(lineTable, layerName);
        byExtent = found == 1;
        if (found >= 0 && g_playerManager)
            g_playerManager->OnCallback(CXPlayerManager::ReadingCallback,
                                        layerName + "\t" + (byExtent ? "extent" : "whole"), nullptr);
        return found >= 0;
    });
    if (!decided)
        return Reading::Unknown;
    return byExtent ? Reading::ByExtent : Reading::Whole;
}

void DBPipe::allowReadingByExtent(bool allowed) {
    readingByExtentAllowed.store(allowed);
}

const SurveyNumberIndex* DBPipe::tileSegments() const {
    return buildingTile.layer == this ? buildingTile.index : nullptr;
}

bool DBPipe::loadLineQuery(const std::string& lineTable, const std::string& pointTable,
                           std::list<CPPipeLine>& out) {
    if (!loadSegmentRows(segmentQuery(lineTable, pointTable), layerName, packedColour(), out))
        return false;
    countUnjoinedSegments(lineTable, pointTable, layerName);
    return true;
}

void DBPipe::addPoint(const osg::ref_ptr<DBPoint>& category) {
    if (!category)
        return;
    pointCategories.push_back(category);
    category->setOwner(this);
    giveLayerColour(*category);
}

DBPoint* DBPipe::findPointCategory(const std::string& name) {
    for (auto& category : pointCategories)
        if (category->getName() == name)
            return category.get();
    return nullptr;
}

void DBPipe::setLidsVisible(bool visible) {
    std::lock_guard<std::recursive_mutex> lock(switchLock);
    lidsShown = visible;
    for (auto& category : pointCategories)
        category->setLidVisible(visible);
}

void DBPipe::setChambersVisible(bool visible) {
    std::lock_guard<std::recursive_mutex> lock(switchLock);
    chambersShown = visible;
    for (auto& category : pointCategories)
        category->setChamberVisible(visible);
}

double DBPipe::startHeight(const CPPipeLine& segment) {
    return g_playerManager->getHeight(segment.startX, segment.startY) - segment.startDepth;
}

double DBPipe::endHeight(const CPPipeLine& segment) {
    return g_playerManager->getHeight(segment.endX, segment.endY) - segment.endDepth;
}
