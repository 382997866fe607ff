#include "HomeView.h"

#include <algorithm>
#include <cmath>

HomeView HomeView::of(double xmin, double ymin, double xmax, double ymax, double ground, double fovyDegrees,
                      double aspect, double depth) {
    HomeView view;
    view.centre = osg::Vec3d((xmin + xmax) / 2, (ymin + ymax) / 2, ground);
    const double elevation = osg::DegreesToRadians(Elevation);
    // From the centre towards the eye (south and up), and the picture's axes.
    const osg::Vec3d back(0.0, -std::cos(elevation), std::sin(elevation));
    const osg::Vec3d right(1.0, 0.0, 0.0);
    const osg::Vec3d up = back ^ right; // == right x forward: up in the picture
    // A small border around the extent in the picture.
    const double tanY = 0.92 * std::tan(osg::DegreesToRadians(fovyDegrees) / 2);
    const double tanX = tanY * std::max(aspect, 0.1);

    // The nearest eye that has every corner of the extent, at the ground and at `depth`
    // below it, within the picture: for a point p at distance D - (p - c)·back in front
    // of the eye, |(p - c)·right| <= tanX times that, and the same upwards.
    double distance = 0.0;
    for (double x : {xmin, xmax})
        for (double y : {ymin, ymax})
            for (double z : {ground, ground - depth}) {
                const osg::Vec3d p = osg::Vec3d(x, y, z) - view.centre;
                distance = std::max(
                    {distance, std::fabs(p * right) / tanX + p * back, std::fabs(p * up) / tanY + p * back});
            }
    distance = std::max(distance, 2.0 * depth);
    view.eye = view.centre + back * distance;

    // Tile diagonals: the root's is the extent's, each level's half the one above.
    const double rootDiagonal = std::hypot(xmax - xmin, ymax - ymin);
    const double deepestDiagonal = rootDiagonal / 8;
    // From the eye to any part of the extent, and a little more.
    const double farthest = 1.05 * (distance + rootDiagonal / 2);
    view.lodScale =
        deepestDiagonal <= PipeRange ? deepestDiagonal / farthest : std::min(1.0, rootDiagonal / farthest);
    return view;
}
