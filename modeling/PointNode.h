#pragma once

#include <osg/Vec3d>

#include <string>

namespace osg {
class LOD;
class Node;
} // namespace osg

// The node of one point feature (a well, a fitting, a piece of equipment): a transform
// to `origin`, named with the record's GID, holding `content` (nothing when null), under
// an LOD centred on the origin that draws it up to 500 from there.
osg::LOD* pointNode(const osg::Vec3d& origin, const std::string& gid, osg::Node* content);
