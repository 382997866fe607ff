#pragma once

#include <osg/Array>
#include <osg/Group>
#include <osg/MatrixTransform>

#include <string>
#include <vector>

// What the three dig tools build: the hole mask, an invisible polygon that marks the
// stencil where the ground is dug away, and the pit, the textured walls and bottom of
// the hole. Both are placed by a transform to the polygon's first point, their vertices
// kept relative to it in double precision.
namespace ExcavationBuilder {

enum class Dig { Test, AlongLine, Region };

// The mask over `polygon` (for a trench: its outline in strip order, left, right, ...).
osg::ref_ptr<osg::MatrixTransform> holeMask(const osg::Vec3dArray& polygon, Dig dig);
// The pit `depth` deep under `polygon`.
osg::ref_ptr<osg::MatrixTransform> pit(const osg::Vec3dArray& polygon, double depth, Dig dig);

// Digs under `polygon`: a mask and a pit into `group`, made on first use. True when
// the group was made now.
bool dig(osg::ref_ptr<osg::Group>& group, const osg::Vec3dArray& polygon, double depth, Dig dig);

// Hangs a tool's group under the host's excavation group (and that under the scene's root
// when it was empty) and tells the host's slave cameras where the excavation is.
void attach(osg::Group* group);
// Empties a tool's group and takes it out of the excavation group, and that off the root
// when nothing is left dug; forgets the group.
void detach(osg::ref_ptr<osg::Group>& group);

} // namespace ExcavationBuilder
