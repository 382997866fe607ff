#include "modeling/FittingBuilder.h"

#include <osg/Geode>
#include <osg/LOD>
#include <osg/MatrixTransform>
#include <osg/ShapeDrawable>

#include <cmath>

namespace {

constexpr float FittingRange = 500.0f;

// Turns a shape built along z onto `direction`; a direction of no length leaves it as it is.
osg::Matrixd alongArm(const osg::Vec3d& direction) {
    if (direction.length2() == 0.0)
        return osg::Matrixd();
    return osg::Matrixd::rotate(osg::Vec3d(0, 0, 1), direction);
}

osg::TessellationHints* withoutTop() {
    auto* hints = new osg::TessellationHints;
    hints->setCreateTop(false);
    return hints;
}

bool drawable(const osg::Vec3d& direction) {
    return direction.length2() > 0.0 && std::isfinite(direction.x()) && std::isfinite(direction.y()) &&
           std::isfinite(direction.z());
}

bool thick(double radius) {
    return radius > 0.0 && std::isfinite(radius);
}

} // namespace

osg::Node* FittingBuilder::createNode(const osg::Vec3d& origin, const std::string& gid,
                                      const std::list<FittingArm>& arms) const {
    osg::ref_ptr<osg::MatrixTransform> transform = new osg::MatrixTransform(osg::Matrixd::translate(origin));
    transform->setName(gid);
    osg::Node* geometry = buildFittingGeometry(arms);
    if (!geometry)
        geometry = buildJunctionGeometry(arms);
    if (geometry)
        transform->addChild(geometry);
    auto* lod = new osg::LOD;
    lod->setCenter(osg::Vec3(origin));
    lod->addChild(transform.get(), 0.0f, FittingRange);
    return lod;
}

osg::Group* FittingBuilder::buildFittingGeometry(const std::list<FittingArm>& arms) const {
    if (arms.size() != static_cast<std::size_t>(look.arms))
        return nullptr;
    auto* group = new osg::Group;
    const osg::Vec3d centre;
    for (const FittingArm& arm : arms) {
        if (!drawable(arm.direction))
            continue;
        group->addChild(buildArmStub(centre, arm.direction, arm.radius));
        group->addChild(buildArmCollar(centre, arm.direction, 1.2 * arm.radius));
    }
    return group;
}

osg::Geode* FittingBuilder::buildJunctionGeometry(const std::list<FittingArm>& arms) const {
    double ball = 0.0;
    for (const FittingArm& arm : arms)
        if (thick(arm.radius) && arm.radius > ball)
            ball = arm.radius;
    if (ball == 0.0)
        return nullptr;
    auto* geode = new osg::Geode;
    geode->setName("junction");
    geode->addDrawable(new osg::ShapeDrawable(new osg::Sphere(osg::Vec3(), static_cast<float>(ball))));
    // Pipes running side by side each get their own capsule.
    for (const FittingArm& arm : arms) {
        if (!thick(arm.radius) || !drawable(arm.direction))
            continue;
        auto* capsule = new osg::Capsule(osg::Vec3(arm.direction / 2.0), static_cast<float>(arm.radius),
                                         static_cast<float>(arm.direction.length()));
        osg::Quat turn;
        turn.makeRotate(osg::Vec3d(0, 0, 1), arm.direction);
        capsule->setRotation(turn);
        geode->addDrawable(new osg::ShapeDrawable(capsule));
    }
    for (unsigned i = 0; i < geode->getNumDrawables(); ++i)
        static_cast<osg::ShapeDrawable*>(geode->getDrawable(i))->setColor(colour);
    return geode;
}

osg::MatrixTransform* FittingBuilder::buildArmStub(const osg::Vec3d& from, const osg::Vec3d& to,
                                                   double radius) const {
    osg::Vec3d direction = to - from;
    // The capsule's cylinder spans the arm; its hemisphere at the fitting's centre
    // rounds the joint, and the outer end stays open inside the collar.
    auto* capsule =
        new osg::Capsule(osg::Vec3(), static_cast<float>(radius), static_cast<float>(direction.length()));
    auto* shape = new osg::ShapeDrawable(capsule, look.roundedStubs ? nullptr : withoutTop());
    if (look.coloured)
        shape->setColor(colour);
    auto* geode = new osg::Geode;
    geode->addDrawable(shape);
    auto* transform =
        new osg::MatrixTransform(alongArm(direction) * osg::Matrixd::translate((from + to) / 2.0));
    transform->addChild(geode);
    return transform;
}

osg::MatrixTransform* FittingBuilder::buildArmCollar(const osg::Vec3d& from, const osg::Vec3d& to,
                                                     double radius) const {
    osg::Vec3d direction = to - from;
    auto* cylinder =
        new osg::Cylinder(osg::Vec3(), static_cast<float>(radius), static_cast<float>(radius * 0.5));
    auto* shape = new osg::ShapeDrawable(cylinder, look.roundedStubs ? withoutTop() : nullptr);
    if (look.coloured)
        shape->setColor(colour);
    auto* geode = new osg::Geode;
    geode->addDrawable(shape);
    auto* transform = new osg::MatrixTransform(alongArm(direction) * osg::Matrixd::translate(to));
    transform->addChild(geode);
    return transform;
}
