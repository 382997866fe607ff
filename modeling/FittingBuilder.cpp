#include "modeling/FittingBuilder.h"

#include "modeling/SharedObjects.h"

#include <osg/Geode>
#include <osg/LOD>
#include <osg/MatrixTransform>
#include <osg/ShapeDrawable>

#include <cmath>
#include <map>
#include <mutex>
#include <tuple>

namespace {

constexpr float FittingRange = 500.0f;

// One tessellated part of a fitting, as the builder would make it.
struct PartKey {
    enum Kind { Stub, Collar, Ball } kind;
    float radius, height;
    bool closed;      // the outer end of a stub or collar
    osg::Vec4 colour; // white when the look leaves the part uncoloured
    bool operator<(const PartKey& other) const {
        return std::tie(kind, radius, height, closed, colour) <
               std::tie(other.kind, other.radius, other.height, other.closed, other.colour);
    }
};

// The parts of every fitting of every tile: stubs, collars and balls come in a handful of
// sizes per kind, each tessellated once here and shared by all fittings of that size,
// look and colour. Tiles are built on several pager threads at once.
class PartCache {
public:
    // Parts of more sizes than this (a network of odd sizes) are tessellated per fitting.
    static constexpr std::size_t MaxParts = 4096;
    // Fittings served by one geode over a shared part: a node whose parent list grew as
    // long as the network would make each unloaded parent search it.
    static constexpr unsigned UsesPerGeode = 256;

    static PartCache& instance() {
        static PartCache cache;
        return cache;
    }

    // A geode over the shared part, or null when the part cannot be shared.
    osg::ref_ptr<osg::Geode> geode(const PartKey& key, osg::ShapeDrawable* (*make)(const PartKey&)) {
        std::lock_guard<std::mutex> lock(mutex);
        Entry* entry = find(key, make);
        if (!entry)
            return nullptr;
        if (!entry->geode || entry->uses >= UsesPerGeode) {
            // In the scene of several tiles at once: the pager must not mark it as its own.
            SharedObjects::guard(*entry->drawable);
            entry->geode = new osg::Geode;
            entry->geode->addDrawable(entry->drawable.get());
            // Bounds are computed on first use; not by several threads at once.
            entry->geode->getBound();
            entry->uses = 0;
        }
        ++entry->uses;
        return entry->geode;
    }

    // A drawable of its own over the shared part's tessellation, or null.
    osg::ref_ptr<osg::ShapeDrawable> copy(const PartKey& key, osg::ShapeDrawable* (*make)(const PartKey&)) {
        std::lock_guard<std::mutex> lock(mutex);
        Entry* entry = find(key, make);
        if (!entry)
            return nullptr;
        return new osg::ShapeDrawable(*entry->drawable, osg::CopyOp::SHALLOW_COPY);
    }

private:
    struct Entry {
        osg::ref_ptr<osg::ShapeDrawable> drawable;
        osg::ref_ptr<osg::Geode> geode;
        unsigned uses = 0;
    };

    Entry* find(const PartKey& key, osg::ShapeDrawable* (*make)(const PartKey&)) {
        if (!std::isfinite(key.radius) || !std::isfinite(key.height))
            return nullptr;
        auto found = parts.find(key);
        if (found != parts.end())
            return &found->second;
        if (parts.size() >= MaxParts)
            return nullptr;
        Entry& entry = parts[key];
        entry.drawable = make(key);
        entry.drawable->getBoundingBox();
        return &entry;
    }

    std::mutex mutex;
    std::map<PartKey, Entry> parts;
};

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

// The parts as the builder draws them, built along z about the origin.
osg::ShapeDrawable* makePart(const PartKey& key) {
    osg::ShapeDrawable* shape = nullptr;
    switch (key.kind) {
    case PartKey::Stub:
        shape = new osg::ShapeDrawable(new osg::Capsule(osg::Vec3(), key.radius, key.height),
                                       key.closed ? nullptr : withoutTop());
        break;
    case PartKey::Collar:
        shape = new osg::ShapeDrawable(new osg::Cylinder(osg::Vec3(), key.radius, key.height),
                                       key.closed ? nullptr : withoutTop());
        break;
    case PartKey::Ball:
        shape = new osg::ShapeDrawable(new osg::Sphere(osg::Vec3(), key.radius));
        break;
    }
    if (key.colour != osg::Vec4(1.0f, 1.0f, 1.0f, 1.0f))
        shape->setColor(key.colour);
    return shape;
}

// A geode over the shared part; over a part of its own when the part cannot be shared.
// Held by reference until it has its parent: another thread may renew the cache's geode.
osg::ref_ptr<osg::Geode> sharedPart(const PartKey& key) {
    osg::ref_ptr<osg::Geode> geode = PartCache::instance().geode(key, makePart);
    if (!geode) {
        geode = new osg::Geode;
        geode->addDrawable(makePart(key));
    }
    return geode;
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
    // The ball, already in the layer colour, shares its tessellation with the balls of
    // other junctions of its size.
    const PartKey ballKey{PartKey::Ball, static_cast<float>(ball), 0.0f, true, colour};
    osg::ref_ptr<osg::ShapeDrawable> centre = PartCache::instance().copy(ballKey, makePart);
    if (!centre)
        centre = makePart(ballKey);
    geode->addDrawable(centre.get());
    // Pipes running side by side each get their own capsule.
    for (const FittingArm& arm : arms) {
        if (!thick(arm.radius) || !drawable(arm.direction))
            continue;
        auto* capsule = new osg::Capsule(osg::Vec3(arm.direction / 2.0), static_cast<float>(arm.radius),
                                         static_cast<float>(arm.direction.length()));
        osg::Quat turn;
        turn.makeRotate(osg::Vec3d(0, 0, 1), arm.direction);
        capsule->setRotation(turn);
        auto* shape = new osg::ShapeDrawable(capsule);
        shape->setColor(colour);
        geode->addDrawable(shape);
    }
    return geode;
}

osg::MatrixTransform* FittingBuilder::buildArmStub(const osg::Vec3d& from, const osg::Vec3d& to,
                                                   double radius) const {
    osg::Vec3d direction = to - from;
    // The capsule's cylinder spans the arm; its hemisphere at the fitting's centre
    // rounds the joint, and the outer end stays open inside the collar.
    const PartKey key{PartKey::Stub, static_cast<float>(radius), static_cast<float>(direction.length()),
                      look.roundedStubs, partColour()};
    auto* transform =
        new osg::MatrixTransform(alongArm(direction) * osg::Matrixd::translate((from + to) / 2.0));
    transform->addChild(sharedPart(key).get());
    return transform;
}

osg::MatrixTransform* FittingBuilder::buildArmCollar(const osg::Vec3d& from, const osg::Vec3d& to,
                                                     double radius) const {
    osg::Vec3d direction = to - from;
    const PartKey key{PartKey::Collar, static_cast<float>(radius), static_cast<float>(radius * 0.5),
                      !look.roundedStubs, partColour()};
    auto* transform = new osg::MatrixTransform(alongArm(direction) * osg::Matrixd::translate(to));
    transform->addChild(sharedPart(key).get());
    return transform;
}

osg::Vec4 FittingBuilder::partColour() const {
    return look.coloured ? colour : osg::Vec4(1.0f, 1.0f, 1.0f, 1.0f);
}
