#include "modeling/EquipmentModel.h"

#include "modeling/ModelFile.h"
#include "modeling/PointNode.h"
#include "modeling/SharedObjects.h"

#include <osg/Group>
#include <osg/LOD>

EquipmentModel::EquipmentModel(const EquipmentLook& look) : equipmentLook(look) {}

osg::Node* EquipmentModel::model() {
    std::lock_guard<std::mutex> lock(mutex);
    return modelLocked();
}

osg::Node* EquipmentModel::modelLocked() {
    if (cached)
        return cached.get();
    osg::ref_ptr<osg::Node> read = readModelNode(equipmentLook.model);
    if (equipmentLook.cache == ModelCache::Wrapped) {
        osg::ref_ptr<osg::Group> group = new osg::Group;
        if (read)
            group->addChild(read.get());
        read = group;
    }
    if (read) {
        // Computed once here rather than by every tile thread that shares the model.
        read->getBound();
        SharedObjects::guardModel(*read);
        cached = read;
    }
    return cached.get();
}

osg::Node* EquipmentModel::createNode(const osg::Vec3d& origin, const std::string& gid) {
    // Every transform becomes a parent of the shared model: tiles on other threads add
    // theirs under the same lock.
    std::lock_guard<std::mutex> lock(mutex);
    return pointNode(origin, gid, modelLocked());
}
