#include "layers/DBPoint.h"

#include "layers/PointVisitor.h"
#include "layers/extentPointVisitor.h"

#include "Torvik/CXPlayerManager.h"
#include "geo/GeoExtent.h"

#include <osg/Group>

#include <utility>

DBPoint::DBPoint(std::string name_, bool ownLook_) : name(std::move(name_)), ownLook(ownLook_) {}

DBPoint::~DBPoint() = default;

osg::Group* DBPoint::buildRecordGroup() {
    osg::ref_ptr<osg::Group> group = new osg::Group;
    for (const CPPoint* record : getRecords()) {
        osg::ref_ptr<osg::Node> node = createNode(*record);
        if (!node)
            continue;
        node->setUserData(new CPPoint(*record));
        node->setName(record->gid);
        group->addChild(node);
    }
    return group.release();
}

// The nodes of a tile keep the names createNode gave them (the GID is on their transform).
osg::Group* DBPoint::buildExtent(osgEarth::GeoExtent extent) {
    extentPointVisitor inExtent(std::move(extent));
    accept(inExtent);
    return buildNodes(inExtent.getResult());
}

osg::Group* DBPoint::buildNodes(const std::vector<const CPPoint*>& chosen) {
    osg::ref_ptr<osg::Group> group = new osg::Group;
    for (const CPPoint* record : chosen) {
        osg::ref_ptr<osg::Node> node = createNode(*record);
        if (!node)
            continue;
        node->setUserData(new CPPoint(*record));
        group->addChild(node);
    }
    return group.release();
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

const std::vector<const CPPoint*>&
DBPoint::selectRecordsOnce(const std::function<void(std::vector<const CPPoint*>&)>& select) {
    // Read-only, so every thread can be handed the same one while nothing is selected.
    static const std::vector<const CPPoint*> unselected;
    bool filled = recordsGate.ensure([&] {
        select(records);
        return !records.empty();
    });
    return filled ? records : unselected;
}
