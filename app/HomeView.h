#pragma once

#include <osg/Vec3d>

// Where the eye starts over a network, and the level-of-detail scale the host draws it
// with: the whole extent in the picture, seen obliquely from the south, whatever its size.
//
// The scale (the camera's LOD scale: a node is drawn when its distance times the scale is
// within its range) is chosen from the extent: the deepest tiles of the paged quadtree
// reach one tile diagonal, an eighth of the extent's diagonal. Where that diagonal is
// within the range the pipes are drawn within (small networks, up to some 5 km across),
// every tile pages in from the home view, even the farthest one, and shows its tubes.
// Larger networks keep a scale near 1, small enough that the root tile stays in range a
// little beyond the home view, and are seen from there through the graph's overview.
struct HomeView {
    osg::Vec3d eye, centre;
    double lodScale = 1.0;

    // How far the pipes of a deepest tile are drawn (DBPipe::PipeRange in the plug-in).
    static constexpr double PipeRange = 1000.0;
    // How far the eye looks down from the horizontal, in degrees.
    static constexpr double Elevation = 45.0;

    // The view of the extent at `ground` through a perspective of `fovyDegrees` vertical
    // field and `aspect` (width over height); the network beneath the ground (down to
    // `depth` metres below it) in the picture too.
    static HomeView of(double xmin, double ymin, double xmax, double ymax, double ground, double fovyDegrees,
                       double aspect, double depth = 5.0);
};
