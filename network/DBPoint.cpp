#include "network/DBPoint.h"

#include "network/PointVisitor.h"

#include "Torvik/CXPlayerManager.h"
#include "geo/GeoExtent.h"

#include <osg/Group>

#include <utility>

DBPoint::DBPoint(std::string name_, bool ownLook_) : name(std::move(name_)), ownLook(ownLook_) {}

DBPoint::~DBPoint() = default;

// The nodes of the records are built by the model construction; until it is there a
// category builds empty groups.
osg::Group* DBPoint::buildRecordGroup() {
    return new osg::Group;
}

osg::Group* DBPoint::buildExtent(osgEarth::GeoExtent) {
    return new osg::Group;
}

void DBPoint::accept(PointVisitor& visitor) {
    visitor.apply(*this);
}

const std::string& DBPoint::getName() {
    return name;
}

bool& DBPoint::hasOwnLook() {
    return ownLook;
}

void DBPoint::setLidVisible(bool) {}

void DBPoint::setChamberVisible(bool) {}

DBPoint* DBPoint::setOwner(DBPipe* layer) {
    owner = layer;
    return this;
}

osg::Vec3d DBPoint::position(const CPPoint& record) {
    double height = g_playerManager->getHeight(record.x, record.y);
    return osg::Vec3d(record.x, record.y, height - record.depth);
}

osg::Vec4d& DBPoint::getColor() {
    return colour;
}

std::list<CPPoint>& DBPoint::selectRecordsOnce(const std::function<void(std::list<CPPoint>&)>& select) {
    bool filled = recordsGate.ensure([&] {
        select(records);
        return !records.empty();
    });
    return filled ? records : unfilledList<CPPoint>();
}
