#pragma once

#include <osg/Node>
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
