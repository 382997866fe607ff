#include "answers/TrenchOutline.h"

#include <algorithm>
#include <cmath>

namespace {

// The left normal of a unit direction.
osg::Vec2d leftOf(const osg::Vec2d& d) {
    return osg::Vec2d(-d.y(), d.x());
}

double cross(const osg::Vec2d& a, const osg::Vec2d& b) {
    return a.x() * b.y() - a.y() * b.x();
}

} // namespace

std::vector<osg::Vec2d> TrenchOutline::distinctPoints(const std::vector<osg::Vec2d>& line) {
    std::vector<osg::Vec2d> points;
    for (const osg::Vec2d& p : line) {
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
            return {};
        if (points.empty() || (p - points.back()).length() > Tolerance)
            points.push_back(p);
    }
    return points;
}

std::vector<osg::Vec2d> TrenchOutline::compute(const std::vector<osg::Vec2d>& line, double width) {
    std::vector<osg::Vec2d> outline;
    const std::vector<osg::Vec2d> p = distinctPoints(line);
    const double h = width / 2.0;
    if (p.size() < 2 || !(h > 0.0) || !std::isfinite(h))
        return outline;
    const size_t segments = p.size() - 1;
    std::vector<osg::Vec2d> dir(segments);
    std::vector<double> len(segments);
    for (size_t i = 0; i < segments; ++i) {
        dir[i] = p[i + 1] - p[i];
        len[i] = dir[i].length();
        dir[i] /= len[i];
    }
    auto pair = [&](const osg::Vec2d& left, const osg::Vec2d& right) {
        outline.push_back(left);
        outline.push_back(right);
    };
    pair(p[0] + leftOf(dir[0]) * h, p[0] - leftOf(dir[0]) * h);

    for (size_t i = 1; i < segments; ++i) {
        const osg::Vec2d& b = p[i];
        const osg::Vec2d n1 = leftOf(dir[i - 1]), n2 = leftOf(dir[i]);
        const double turn = cross(dir[i - 1], dir[i]); // > 0: turning left
        const double dot = dir[i - 1] * dir[i];
        // Where the two offset lines of one side meet: half a width from both segments,
        // 1 / cos(half the turn) half-widths from the bend, and h·tan(half the turn) back
        // along each segment from it.
        const bool meets = dot > -1.0 + 1e-12;
        const double mitreLength = meets ? std::sqrt(2.0 / (1.0 + dot)) : HUGE_VAL;
        const double setBack = meets ? h * std::fabs(turn) / (1.0 + dot) : HUGE_VAL;
        const osg::Vec2d mitre = meets ? (n1 + n2) * (h / (1.0 + dot)) : osg::Vec2d();
        const bool outerMitre = mitreLength <= MitreLimit;
        const bool innerMitre = setBack <= std::min(len[i - 1], len[i]);
        if (outerMitre && innerMitre) {
            pair(b + mitre, b - mitre);
            continue;
        }
        // Bevel: the outer edge is cut square to each segment; the inner edge keeps its
        // meeting point when the segments hold it, else it too is square to each.
        const double outerSide = turn > 0.0 ? -1.0 : 1.0; // left turn: the right edge is outside
        for (const osg::Vec2d& n : {n1, n2}) {
            const osg::Vec2d outer = b + n * (h * outerSide);
            const osg::Vec2d inner = innerMitre ? b - mitre * outerSide : b - n * (h * outerSide);
            if (outerSide > 0.0)
                pair(outer, inner);
            else
                pair(inner, outer);
        }
    }
    const osg::Vec2d end = p.back(), n = leftOf(dir.back());
    pair(end + n * h, end - n * h);
    return outline;
}
