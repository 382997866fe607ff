#pragma once

#include "modeling/ChamberLook.h"

#include <osg/Geode>
#include <osg/Group>
#include <osg/ref_ptr>

#include <mutex>

class CPPoint;

// The one model all wells of a category share: the body (bottom plate, lofted wall and
// wall texture), the lid (lid and lid texture) and, in valve wells, the valve. It is
// built by the first well any tile asks for; hiding the lid or the body hides that part
// of every well of the category at once, in tiles built before and after.
class ChamberModel {
public:
    explicit ChamberModel(const ChamberLook& look);
    ChamberModel(const ChamberModel&) = delete;
    ChamberModel& operator=(const ChamberModel&) = delete;

    // The shared model, built on the first call from whichever thread asks first.
    osg::Group* model();
    // Fill the body and lid for a shaft whose wall reaches up to h above its origin.
    // model() runs each once; they return the filled geode.
    osg::Geode* buildBody(double h);
    osg::Geode* buildLid(double h);

    void setLidVisible(bool visible);
    void setBodyVisible(bool visible);

    // A well of the category at the record's survey position. Its shaft hangs from a
    // fixed depth below the terrain whatever burial depth the record gives, so every lid
    // meets the road surface.
    osg::Node* createNode(const CPPoint& record);

private:
    osg::Group* modelLocked();

    const ChamberLook chamberLook;
    osg::ref_ptr<osg::Geode> body = new osg::Geode;
    osg::ref_ptr<osg::Geode> lid = new osg::Geode;
    osg::ref_ptr<osg::Group> shared;
    std::mutex mutex;
};
