#include "app/ViewProbe.h"

#include "Selmor/ViewSetup.h"
#include "Torvik/CXPlayerManager.h"
#include "Torvik/Torvik.h"
#include "network/CPPipeLine.h"

#include <osg/Drawable>
#include <osg/LOD>
#include <osg/ValueObject>
#include <osg/Viewport>
#include <osgUtil/LineSegmentIntersector>
#include <osgViewer/View>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// A level of detail draws a child only while the eye's distance to its centre, times the
// camera's LOD scale, lies within the child's range; a pick sees every child.
bool drawnFrom(const osg::NodePath& path, const osg::Vec3d& eye, double lodScale) {
    for (std::size_t i = 0; i + 1 < path.size(); ++i) {
        const auto* lod = dynamic_cast<const osg::LOD*>(path[i]);
        if (!lod || lod->getRangeMode() != osg::LOD::DISTANCE_FROM_EYE_POINT)
            continue;
        unsigned child = lod->getChildIndex(path[i + 1]);
        if (child >= lod->getNumRanges())
            continue;
        osg::NodePath upToLod(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        osg::Vec3d centre = osg::Vec3d(lod->getCenter()) * osg::computeLocalToWorld(upToLod);
        double distance = (centre - eye).length() * lodScale;
        if (distance < lod->getMinRange(child) || distance >= lod->getMaxRange(child))
            return false;
    }
    return true;
}

bool translucent(const osg::StateSet* state) {
    return state && state->getRenderingHint() == osg::StateSet::TRANSPARENT_BIN;
}

// Whether what was hit lets the view through to what lies beneath: as the host marks it
// (the value nearest the surface hit decides), else a ground drawn translucent.
bool seenThrough(const osg::NodePath& path, const osg::Node* ground, const osg::Drawable* drawable) {
    for (auto node = path.rbegin(); node != path.rend(); ++node) {
        bool value = false;
        if ((*node)->getUserValue(Torvik::SeeThrough, value))
            return value;
    }
    if (!ground || std::find(path.begin(), path.end(), ground) == path.end())
        return false;
    if (drawable && translucent(drawable->getStateSet()))
        return true;
    return std::any_of(path.begin(), path.end(),
                       [](const osg::Node* node) { return translucent(node->getStateSet()); });
}

// Where in a path a dig's hole mask is (marked for the cut pass only), or -1.
std::ptrdiff_t holeMaskIn(const osg::NodePath& path) {
    auto mask = std::find_if(path.begin(), path.end(), [](const osg::Node* node) {
        return node->getNodeMask() == ViewSetup::HoleMaskBit;
    });
    return mask == path.end() ? -1 : mask - path.begin();
}

// Whether the ground at `point` lies inside a dig's outline, where the view cuts it away:
// one of the hole masks the ray crossed lies over or under it.
bool dugAway(const osg::Vec3d& point, const std::vector<const osg::NodePath*>& holeMasks) {
    for (const osg::NodePath* path : holeMasks) {
        const std::ptrdiff_t at = holeMaskIn(*path);
        const osg::Matrixd toLocal =
            osg::Matrixd::inverse(osg::computeLocalToWorld(osg::NodePath(path->begin(), path->begin() + at)));
        const osg::Vec3d reach(0.0, 0.0, 1e4);
        osg::ref_ptr<osgUtil::LineSegmentIntersector> vertical = new osgUtil::LineSegmentIntersector(
            osgUtil::Intersector::MODEL, (point + reach) * toLocal, (point - reach) * toLocal);
        osgUtil::IntersectionVisitor visitor(vertical.get());
        (*path)[at]->accept(visitor);
        if (vertical->containsIntersections())
            return true;
    }
    return false;
}

const CPPipeLine* pipeOf(const osg::NodePath& path) {
    for (auto node = path.rbegin(); node != path.rend(); ++node)
        if (const auto* segment = dynamic_cast<const CPPipeLine*>((*node)->getUserData()))
            return segment;
    return nullptr;
}

} // namespace

ViewProbe ViewProbe::at(osgViewer::View* view, const osg::Node* ground, double px, double py) {
    ViewProbe probe;
    if (!view || !std::isfinite(px) || !std::isfinite(py))
        return probe;
    // The view draws through its slave cameras, which share one viewport.
    const osg::Camera* drawing = ViewSetup::pass(view, 0);
    const osg::Viewport* viewport = drawing ? drawing->getViewport() : view->getCamera()->getViewport();
    if (!viewport || viewport->width() <= 0 || viewport->height() <= 0 || px < 0 || py < 0 ||
        px > viewport->width() || py > viewport->height())
        return probe;
    const double x = 2.0 * px / viewport->width() - 1.0, y = 1.0 - 2.0 * py / viewport->height();

    osg::Camera* camera = view->getCamera();
    osgUtil::LineSegmentIntersector::Intersections hits;
    if (!view->computeIntersections(camera, osgUtil::Intersector::PROJECTION, static_cast<float>(x),
                                    static_cast<float>(y), hits))
        return probe;
    const osg::Vec3d eye = osg::Matrixd::inverse(camera->getViewMatrix()).getTrans();
    const double lodScale = camera->getLODScale();

    const osgUtil::LineSegmentIntersector::Intersection* chosen = nullptr;
    const osgUtil::LineSegmentIntersector::Intersection* firstSeenThrough = nullptr;
    // The hole masks themselves are never hit; the ground where they cut it is not drawn.
    std::vector<const osg::NodePath*> holeMasks;
    for (const auto& hit : hits)
        if (holeMaskIn(hit.nodePath) >= 0)
            holeMasks.push_back(&hit.nodePath);
    for (const auto& hit : hits) {
        if (holeMaskIn(hit.nodePath) >= 0 || !drawnFrom(hit.nodePath, eye, lodScale))
            continue;
        const bool onGround =
            ground && std::find(hit.nodePath.begin(), hit.nodePath.end(), ground) != hit.nodePath.end();
        if (onGround && !holeMasks.empty() && dugAway(hit.getWorldIntersectPoint(), holeMasks))
            continue;
        if (!seenThrough(hit.nodePath, ground, hit.drawable.get())) {
            chosen = &hit;
            break;
        }
        if (!firstSeenThrough)
            firstSeenThrough = &hit;
    }
    if (!chosen)
        chosen = firstSeenThrough;
    if (!chosen)
        return probe;

    probe.hit = true;
    probe.point = chosen->getWorldIntersectPoint();
    probe.ground = g_playerManager->getHeight(probe.point.x(), probe.point.y());
    const osg::NodePath& path = chosen->nodePath;
    probe.hitDepth = probe.ground - probe.point.z();
    probe.onGround = ground && std::find(path.begin(), path.end(), ground) != path.end();
    for (osg::Node* node : path)
        if (!node->asCamera() || !probe.nodePath.empty())
            probe.nodePath.emplace_back(node);

    if (const CPPipeLine* segment = pipeOf(path)) {
        probe.pipe = true;
        probe.layerName = segment->layerName;
        probe.gid = segment->gid;
        // Where along the segment the point lies, seen from above.
        const osg::Vec2d start(segment->startX, segment->startY), end(segment->endX, segment->endY);
        const osg::Vec2d along = end - start;
        const double length2 = along.length2();
        double t =
            length2 > 0.0 ? (osg::Vec2d(probe.point.x(), probe.point.y()) - start) * along / length2 : 0.0;
        t = std::clamp(t, 0.0, 1.0);
        probe.axisDepth = segment->startDepth + t * (segment->endDepth - segment->startDepth);
    }
    return probe;
}
