#pragma once

#include "modeling/EquipmentLook.h"

#include <osg/Node>
#include <osg/Vec3d>
#include <osg/ref_ptr>

#include <mutex>
#include <string>

// The one model all points of an equipment category share, read on first use from
// whichever thread asks first, and kept as its look's cache form says.
class EquipmentModel {
public:
    explicit EquipmentModel(const EquipmentLook& look);
    EquipmentModel(const EquipmentModel&) = delete;
    EquipmentModel& operator=(const EquipmentModel&) = delete;

    // The cached model; null while a direct-form model has not been read.
    osg::Node* model();
    // A point of the category at `origin`: the model under a transform named `gid`, or
    // the named transform alone when the model cannot be read.
    osg::Node* createNode(const osg::Vec3d& origin, const std::string& gid);

private:
    osg::Node* modelLocked();

    const EquipmentLook equipmentLook;
    osg::ref_ptr<osg::Node> cached;
    std::mutex mutex;
};
