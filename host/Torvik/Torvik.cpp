#include "Torvik/Torvik.h"

#include <osg/ValueObject>
#include <osgUtil/LineSegmentIntersector>
#include <osgViewer/View>

namespace Torvik {

std::vector<std::string> splitStr(const std::string& text, const std::string& separator) {
    std::vector<std::string> pieces;
    if (text.empty())
        return pieces;
    if (separator.empty()) {
        pieces.push_back(text);
        return pieces;
    }
    std::string::size_type start = 0;
    for (;;) {
        std::string::size_type at = text.find(separator, start);
        if (at == std::string::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
}

osg::Vec3d pick(osgViewer::View* view, const osgGA::GUIEventAdapter& ea) {
    if (!view)
        return osg::Vec3d();
    osgUtil::LineSegmentIntersector::Intersections hits;
    if (!view->computeIntersections(ea, hits)) {
        // An event made outside the viewer's event traversal (a script, a test) carries
        // no pointer data: take its position on the view's own camera.
        view->computeIntersections(view->getCamera(), osgUtil::Intersector::PROJECTION, ea.getXnormalized(),
                                   ea.getYnormalized(), hits);
    }
    if (hits.empty())
        return osg::Vec3d();
    auto seenThrough = [](const osg::NodePath& path) {
        bool value = false;
        for (const osg::Node* node : path)
            if (node->getUserValue(SeeThrough, value) && value)
                return true;
        return false;
    };
    for (const auto& hit : hits)
        if (!seenThrough(hit.nodePath))
            return hit.getWorldIntersectPoint();
    return hits.begin()->getWorldIntersectPoint();
}

} // namespace Torvik
