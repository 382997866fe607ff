#pragma once

#include <osg/Node>
#include <osg/Vec3d>
#include <osg/ref_ptr>

#include <map>
#include <string>

// A copy of the scene as it is drawn now: every paged node becomes an ordinary LOD
// holding the children it has loaded, so a written file shows exactly what is on
// screen. Subgraphs without paged nodes are shared, not copied.
osg::ref_ptr<osg::Node> sceneAsShown(osg::Node* root);

// Writes `scene` with osgDB at full precision. The records the plug-in attaches to nodes
// as user data (its own classes, which no osgDB serializer knows) are left out of the file;
// user values and descriptions are written.
bool writeScene(osg::Node& scene, const std::string& file);

// What the loaded network holds: segment nodes per layer (named with the layer's
// name), point nodes, and the deepest tiles loaded.
struct SceneCounts {
    std::map<std::string, unsigned> segmentsPerLayer;
    unsigned points = 0;
    unsigned tiles = 0;
};
SceneCounts countScene(osg::Node* root);

// What is drawn from an eye at `eye` with the camera's level-of-detail scale `lodScale`,
// as the cull chooses it among the loaded nodes: segment tubes within their range, and
// the lines and dots of the overview drawings in theirs (hidden nodes left out).
struct ShownCounts {
    unsigned tubes = 0;
    unsigned lines = 0;
    unsigned dots = 0;
};
ShownCounts countShown(osg::Node* root, const osg::Vec3d& eye, float lodScale);
