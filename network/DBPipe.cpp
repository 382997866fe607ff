#include "network/DBPipe.h"

#include "network/DBPoint.h"
#include "network/PipeVisitor.h"
#include "network/RecordLoader.h"

#include "Torvik/CXPlayerManager.h"
#include "geo/GeoExtent.h"

#include <osg/Geode>
#include <osg/Group>

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

// The scene of a layer (pipe bodies, fittings, wells, equipment) is built by the model
// construction; until then a layer builds empty groups.
osg::Group* DBPipe::buildAll() {
    if (!rootGroup)
        rootGroup = new osg::Group;
    return rootGroup.get();
}

osg::Group* DBPipe::getPipesGroup() {
    return pipesGroup.get();
}

osg::Node* DBPipe::createSegmentNode(const CPPipeLine&) {
    return nullptr;
}

osg::Group* DBPipe::buildExtent(osgEarth::GeoExtent) {
    return new osg::Group;
}

osg::Geode* DBPipe::loftSection(osg::Vec3d, osg::Vec3d, osgModeling::Curve*) {
    return nullptr;
}

osg::Node* DBPipe::createSegmentGeometry(const CPPipeLine&, osg::Matrixd&) {
    return nullptr;
}

std::list<osg::observer_ptr<osg::Node>>& DBPipe::getExtentPipeGroups() {
    return extentPipeGroups;
}

void DBPipe::setPipesVisible(bool) {}

void DBPipe::accept(PipeVisitor& visitor) {
    visitor.apply(*this);
}

bool DBPipe::loadSegments(std::list<CPPipeLine>&) {
    return false;
}

std::list<CPPipeLine>& DBPipe::segments() {
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
    return loadSegmentRows(segmentQuery(lineTable, pointTable), layerName, packed, out);
}

void DBPipe::addPoint(osg::ref_ptr<DBPoint> category) {
    if (!category)
        return;
    pointCategories.push_back(category);
    category->setOwner(this);
}

DBPoint* DBPipe::findPointCategory(std::string name) {
    for (auto& category : pointCategories)
        if (category->getName() == name)
            return category.get();
    return nullptr;
}

void DBPipe::setLidsVisible(bool visible) {
    for (auto& category : pointCategories)
        category->setLidVisible(visible);
}

void DBPipe::setChambersVisible(bool visible) {
    for (auto& category : pointCategories)
        category->setChamberVisible(visible);
}

double DBPipe::startHeight(const CPPipeLine& segment) {
    return g_playerManager->getHeight(segment.startX, segment.startY) - segment.startDepth;
}

double DBPipe::endHeight(const CPPipeLine& segment) {
    return g_playerManager->getHeight(segment.endX, segment.endY) - segment.endDepth;
}
