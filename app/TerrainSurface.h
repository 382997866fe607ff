#pragma once

#include <osg/Node>
#include <osg/ref_ptr>

class TerrainHeight;
struct GroundImagery;

// The ground as the host draws it: a grid over the extent that follows the terrain
// height, translucent so that the buried network shows through it, with a faint
// 50 m checker for scale; with imagery, the imagery where it covers the ground.
osg::ref_ptr<osg::Node> buildTerrainSurface(const TerrainHeight& terrain, double xmin, double ymin,
                                            double xmax, double ymax, float opacity,
                                            const GroundImagery* imagery = nullptr);
