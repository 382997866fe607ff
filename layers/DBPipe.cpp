#include "layers/DBPipe.h"

#include "layers/DBPoint.h"
#include "layers/PipeVisitor.h"
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

#include <cmath>
#include <utility>

DBPipe::DBPipe(std::string kindCode_, std::string layerName_, osg::Vec4ub colour_)
    : kindCode(std::move(kindCode_)), layerName(std::move(layerName_)), colour(colour_) {}

DBPipe::~DBPipe() = default;

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

osg::Group* DBPipe::buildExtent(osgEarth::GeoExtent extent) {
    // The tile's tubes share one vertex buffer; the tile is this thread's until returned.
    PipeBodies::SharedTubeBuffer tubeBuffer;
    extentPipeVisitor inExtent(extent);
    accept(inExtent);
    osg::ref_ptr<osg::Group> pipes = new osg::Group;
    for (const CPPipeLine* segment : inExtent.getResult())
        pipes->addChild(createSegmentNode(*segment));
    putColourShader(*pipes);
    osg::ref_ptr<osg::Group> pipesWrapper = new osg::Group;
    pipesWrapper->addChild(pipes);

    osg::ref_ptr<osg::Group> points = new osg::Group, plain = new osg::Group, ownLook = new osg::Group;
    addCategoryNodes(*plain, *ownLook, [&extent](DBPoint& category) { return category.buildExtent(extent); });
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
    std::vector<const CPPipeLine*> chosen;
    segmentGrid().select(segments(), &extentPipeVisitor::segmentBox, tile,
                         defaultExtentLookup() == ExtentLookup::Indexed, startsInside, chosen);
    std::vector<osg::Vec3d> lineEnds, points;
    lineEnds.reserve(2 * chosen.size());
    for (const CPPipeLine* segment : chosen) {
        lineEnds.emplace_back(segment->startX, segment->startY, startHeight(*segment));
        lineEnds.emplace_back(segment->endX, segment->endY, endHeight(*segment));
    }
    for (auto& category : pointCategories) {
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

bool DBPipe::loadLineQuery(const std::string& lineTable, const std::string& pointTable,
                           std::list<CPPipeLine>& out) {
    std::uint32_t packed = colour.r() + 256u * colour.g() + 65536u * colour.b();
    if (!loadSegmentRows(segmentQuery(lineTable, pointTable), layerName, packed, out))
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
