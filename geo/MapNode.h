#pragma once

#include "geo/GeoExport.h"
#include "geo/Map.h"

#include <osg/Group>
#include <osg/ref_ptr>

namespace osgEarth {

// The scene node of the host's map; the plug-in reaches the map through it.
class GEO_EXPORT MapNode : public osg::Group {
public:
    // A map without a coordinate system when none is given.
    explicit MapNode(Map* map = nullptr);

    Map* getMap() const { return _map.get(); }

protected:
    ~MapNode() override = default;

private:
    osg::ref_ptr<Map> _map;
};

} // namespace osgEarth
