#pragma once

#include <osg/Vec3d>
#include <osg/Vec4>

#include <list>
#include <string>

namespace osg {
class Geode;
class Group;
class MatrixTransform;
class Node;
} // namespace osg

// One pipe leaving a fitting: the direction of its stub and the stub's radius.
struct FittingArm {
    osg::Vec3d direction;
    double radius = 0.0;
};

// What tells the fitting categories apart: how many pipes must meet at the point, and
// how the stubs and their collars are drawn.
struct FittingLook {
    // Connections a fitting of the category has; at any other number the point is drawn
    // as a plain junction of the pipes that do meet there.
    int arms;
    // Stubs rounded at both ends and collars open on their outer face (sewage and gas
    // elbows), instead of stubs open at the outer end inside closed collars.
    bool roundedStubs;
    // False leaves the drawables at their default white (hydrogen tees).
    bool coloured;
};

namespace FittingLooks {
constexpr FittingLook Tee{3, false, true};
constexpr FittingLook PlainTee{3, false, false};
constexpr FittingLook Cross{4, false, true};
constexpr FittingLook Elbow{2, false, true};
constexpr FittingLook RoundedElbow{2, true, true};
} // namespace FittingLooks

// Draws one fitting of a category from its arms: per arm a capsule stub from the
// fitting's centre and a collar disc, a little thicker, at the stub's outer end.
//
// Stubs, collars and junction balls come in a handful of sizes: each size, look and
// colour is tessellated once per process. Stubs and collars are geodes shared by the
// fittings of every tile, placed by their own transforms; a junction's ball is a drawable
// of its own over the shared tessellation. Builders may run on several threads at once.
class FittingBuilder {
public:
    FittingBuilder(const FittingLook& look, const osg::Vec4& colour) : look(look), colour(colour) {}

    // The fitting's node: a transform to `origin` named `gid` under a level of detail
    // shown within 500 m. It holds the fitting when the arms are as many as the look
    // requires, otherwise a plain junction of all of them (empty when none has a size).
    osg::Node* createNode(const osg::Vec3d& origin, const std::string& gid,
                          const std::list<FittingArm>& arms) const;
    // Null when the number of arms is wrong. An arm without direction (a segment whose
    // ends coincide) counts but is not drawn.
    osg::Group* buildFittingGeometry(const std::list<FittingArm>& arms) const;
    // A junction of any number of pipes, in the layer colour: a ball as thick as the
    // thickest arm at the centre and a capsule along each arm, named "junction". Arms
    // without direction or thickness draw no capsule; null when nothing is drawn.
    osg::Geode* buildJunctionGeometry(const std::list<FittingArm>& arms) const;
    osg::MatrixTransform* buildArmStub(const osg::Vec3d& from, const osg::Vec3d& to, double radius) const;
    osg::MatrixTransform* buildArmCollar(const osg::Vec3d& from, const osg::Vec3d& to, double radius) const;

private:
    // The colour of the stubs and collars: white when the look leaves them uncoloured.
    osg::Vec4 partColour() const;

    FittingLook look;
    osg::Vec4 colour;
};
