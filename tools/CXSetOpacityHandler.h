#pragma once

#include "Torvik/CXCommandHandler.h"

#include <osg/Material>
#include <osg/ref_ptr>

#include <string>

// "地表透明度": makes the terrain surface, and with a second view the ground models of
// the design data, see-through so the buried network shows without digging.
// "Opacity:" carries the opacity in percent (100 = opaque).
class CXSetOpacityHandler : public CXCommandHandler {
public:
    CXSetOpacityHandler();

    void OnMessage(std::string message) override;

    // The material kept on the terrain once the first message came (null before).
    osg::Material* terrainMaterial() const { return _terrainMaterial.get(); }

private:
    void makeGroundModelsTranslucent(float alpha) const;
    void setTerrainOpacity(float alpha);

    osg::ref_ptr<osg::Material> _terrainMaterial;
};
