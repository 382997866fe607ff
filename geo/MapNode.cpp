#include "geo/MapNode.h"

namespace osgEarth {

MapNode::MapNode(Map* map) : _map(map ? map : new Map) {}

} // namespace osgEarth
