#include "modeling/ChamberModel.h"

#include "modeling/ModelFile.h"
#include "modeling/PointNode.h"
#include "modeling/SharedObjects.h"

#include "loft/Curve.h"
#include "loft/Loft.h"
#include "network/CPPoint.h"

#include "Torvik/CXPlayerManager.h"

#include <osg/LOD>
#include <osg/Math>
#include <osg/ShapeDrawable>
#include <osg/Texture2D>

#include <cmath>

namespace {

// Sizes of the three shafts in metres, z up from the shaft's origin.
struct ShaftSize {
    bool round;
    float halfX, halfY; // the radius of a round shaft
    float wallFrom;     // bottom of the wall, where the bottom plate lies
    float wallTo;       // top of the wall, where the lid lies (h)
    double originBelowTerrain;
};

const ShaftSize& shaftSize(ChamberShape shape) {
    static const ShaftSize sizes[] = {
        {true, 0.5f, 0.5f, -0.2f, 2.05f, 2.0},   // Circular
        {false, 0.25f, 0.5f, 0.0f, 1.0f, 1.0},   // Grate
        {false, 0.4f, 0.4f, -0.01f, 2.05f, 2.0}, // Square
    };
    return sizes[static_cast<int>(shape)];
}

osg::Vec3Array* wallSection(const ShaftSize& size) {
    auto* points = new osg::Vec3Array;
    if (size.round) {
        for (int degrees = 0; degrees <= 360; degrees += 10) {
            float angle = osg::DegreesToRadians(static_cast<float>(degrees));
            points->push_back(osg::Vec3(size.halfX * std::cos(angle), size.halfX * std::sin(angle), 0.f));
        }
    } else {
        const float x = size.halfX, y = size.halfY;
        for (const osg::Vec3& corner : {osg::Vec3(-x, -y, 0.f), osg::Vec3(x, -y, 0.f), osg::Vec3(x, y, 0.f),
                                        osg::Vec3(-x, y, 0.f), osg::Vec3(-x, -y, 0.f)})
            points->push_back(corner);
    }
    return points;
}

// A slab 0.01 thick across the shaft, centred at height z: the bottom plate or the lid.
osg::ShapeDrawable* slab(const ShaftSize& size, float z) {
    const osg::Vec3 centre(0.f, 0.f, z);
    if (size.round)
        return new osg::ShapeDrawable(new osg::Cylinder(centre, size.halfX, 0.01f));
    return new osg::ShapeDrawable(new osg::Box(centre, 2.f * size.halfX, 2.f * size.halfY, 0.01f));
}

// A texture that cannot be read is left off: the part shows plain white.
void applyTexture(osg::Geode& geode, const char* path) {
    osg::ref_ptr<osg::Image> image = readModelImage(path);
    if (!image)
        return;
    geode.getOrCreateStateSet()->setTextureAttributeAndModes(0, new osg::Texture2D(image.get()),
                                                             osg::StateAttribute::ON);
}

} // namespace

ChamberModel::ChamberModel(const ChamberLook& look) : chamberLook(look) {}

osg::Group* ChamberModel::model() {
    std::lock_guard<std::mutex> lock(mutex);
    return modelLocked();
}

osg::Group* ChamberModel::modelLocked() {
    if (shared)
        return shared.get();
    const double h = shaftSize(chamberLook.shape).wallTo;
    osg::ref_ptr<osg::Group> group = new osg::Group;
    group->addChild(buildBody(h));
    group->addChild(buildLid(h));
    // The valve stands on the shaft's origin as it was modelled.
    if (chamberLook.valveModel)
        if (osg::ref_ptr<osg::Node> valve = readModelNode(chamberLook.valveModel))
            group->addChild(valve.get());
    // Bounds are computed lazily and cached; compute them now, before tiles on several
    // threads share the model and would all compute them at once.
    group->getBound();
    SharedObjects::guardModel(*group);
    shared = group;
    return shared.get();
}

osg::Geode* ChamberModel::buildBody(double h) {
    const ShaftSize& size = shaftSize(chamberLook.shape);

    osg::ref_ptr<osgModeling::Curve> section = new osgModeling::Curve;
    section->setPath(wallSection(size));
    osg::ref_ptr<osgModeling::Curve> path = new osgModeling::Curve;
    path->addPathPoint(osg::Vec3(0.f, 0.f, size.wallFrom));
    path->addPathPoint(osg::Vec3(0.f, 0.f, static_cast<float>(h)));

    osg::ref_ptr<osgModeling::Loft> wall = new osgModeling::Loft;
    wall->setProfile(path.get());
    wall->addShape(section.get());
    osg::ref_ptr<osg::Vec4Array> white = new osg::Vec4Array;
    white->push_back(osg::Vec4(1.f, 1.f, 1.f, 1.f));
    wall->setColorArray(white.get(), osg::Array::BIND_OVERALL);
    wall->update(false);

    body->addDrawable(slab(size, size.wallFrom));
    body->addDrawable(wall.get());
    applyTexture(*body, chamberLook.wallTexture);
    return body.get();
}

osg::Geode* ChamberModel::buildLid(double h) {
    lid->addDrawable(slab(shaftSize(chamberLook.shape), static_cast<float>(h)));
    applyTexture(*lid, chamberLook.lidTexture);
    return lid.get();
}

void ChamberModel::setLidVisible(bool visible) {
    lid->setNodeMask(visible ? ~0u : 0u);
}

void ChamberModel::setBodyVisible(bool visible) {
    body->setNodeMask(visible ? ~0u : 0u);
}

osg::Node* ChamberModel::createNode(const CPPoint& record) {
    const double terrain = g_playerManager->getHeight(record.x, record.y);
    const osg::Vec3d origin(record.x, record.y, terrain - shaftSize(chamberLook.shape).originBelowTerrain);
    // Every well transform becomes a parent of the shared model: tiles on other threads
    // add theirs under the same lock.
    std::lock_guard<std::mutex> lock(mutex);
    return pointNode(origin, record.gid, modelLocked());
}
