#pragma once

#include <osg/Vec2d>

#include <vector>

// The outline of a trench dug along a surveyed line: both edges offset by half the width,
// as pairs across the trench in the order a quad strip spans it (left, right, left, right,
// ..., left and right seen walking along the line). Ends are cut square. At a bend the outer
// edges meet in a mitre while it stays within `MitreLimit` half-widths of the bend; beyond
// that the corner is bevelled: two pairs at the bend, each square to one of the two segments.
// The inner edge meets at the one point half a width from both segments wherever the
// segments are long enough to hold it.
class TrenchOutline {
public:
    static constexpr double MitreLimit = 2.0;

    // Consecutive points closer than `Tolerance` are one point; a line of fewer than two
    // distinct points, a width that is not positive, or a point that is not finite gives
    // no outline (empty).
    static std::vector<osg::Vec2d> compute(const std::vector<osg::Vec2d>& line, double width);
    static constexpr double Tolerance = 1e-6;

    // The line as `compute` walks it: non-finite input refused (empty), repeated points dropped.
    static std::vector<osg::Vec2d> distinctPoints(const std::vector<osg::Vec2d>& line);
};
