#include "tools/ToolFrame.h"

#include "Selmor/CXEarthManipulator.h"
#include "Selmor/CXViewer.h"
#include "Torvik/CXPlayerManager.h"
#include "Torvik/Torvik.h"

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/MatrixTransform>
#include <osgGA/GUIActionAdapter>
#include <osgGA/GUIEventAdapter>
#include <osgViewer/View>

#include <locale>
#include <sstream>

namespace ToolFrame {

bool isRelease(const osgGA::GUIEventAdapter& ea, int button) {
    return ea.getEventType() == osgGA::GUIEventAdapter::RELEASE && ea.getButton() == button;
}

bool pick(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& aa, osg::Vec3d& point) {
    osg::Vec3d hit = Torvik::pick(dynamic_cast<osgViewer::View*>(aa.asView()), ea);
    if (hit == osg::Vec3d(0.0, 0.0, 0.0))
        return false;
    point = hit;
    return true;
}

osg::ref_ptr<osg::Node> buildOutline(const osg::Vec3dArray& points, GLenum mode, bool unlit) {
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    // The band follows the mouse: its points change in place, drawn from a buffer object.
    geometry->setDataVariance(osg::Object::DYNAMIC);
    geometry->setUseDisplayList(false);
    geometry->setUseVertexBufferObjects(true);
    geometry->setVertexArray(new osg::Vec3Array);
    geometry->addPrimitiveSet(new osg::DrawArrays(mode, 0, 0));
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(geometry);
    osg::StateSet* state = geode->getOrCreateStateSet();
    state->setMode(GL_DEPTH_TEST, osg::StateAttribute::OFF);
    state->setRenderBinDetails(11, "DepthSortedBin");
    if (unlit)
        state->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
    osg::ref_ptr<osg::MatrixTransform> placed = new osg::MatrixTransform;
    placed->setDataVariance(osg::Object::DYNAMIC);
    placed->addChild(geode);
    updateOutline(placed.get(), points);
    return placed;
}

bool updateOutline(osg::Node* outline, const osg::Vec3dArray& points) {
    auto* placed = dynamic_cast<osg::MatrixTransform*>(outline);
    osg::Geode* geode = placed && placed->getNumChildren() ? placed->getChild(0)->asGeode() : nullptr;
    osg::Geometry* geometry =
        geode && geode->getNumDrawables() ? geode->getDrawable(0)->asGeometry() : nullptr;
    auto* vertices = geometry ? dynamic_cast<osg::Vec3Array*>(geometry->getVertexArray()) : nullptr;
    auto* span = geometry && geometry->getNumPrimitiveSets()
                     ? dynamic_cast<osg::DrawArrays*>(geometry->getPrimitiveSet(0))
                     : nullptr;
    if (!vertices || !span)
        return false;
    osg::Vec3d origin = points.empty() ? osg::Vec3d() : points.front();
    placed->setMatrix(osg::Matrixd::translate(origin));
    vertices->resize(points.size());
    for (size_t i = 0; i < points.size(); ++i)
        (*vertices)[i] = osg::Vec3(points[i] - origin);
    vertices->dirty();
    span->setCount(static_cast<GLsizei>(points.size()));
    span->dirty();
    geometry->dirtyBound();
    return true;
}

void replaceOnRoot(osg::ref_ptr<osg::Node>& old, osg::Node* replacement) {
    osg::Group* root = g_pCXviewer ? g_pCXviewer->getRoot() : nullptr;
    if (old && root)
        root->removeChild(old.get());
    old = replacement;
    if (replacement && root)
        root->addChild(replacement);
}

std::string formatPoints(const osg::Vec3dArray& points, int precision) {
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text.precision(precision);
    for (const osg::Vec3d& point : points)
        text << point.x() << ',' << point.y() << ',';
    return text.str();
}

CXEarthManipulator* earthManipulator() {
    osgViewer::View* view = g_pCXviewer ? g_pCXviewer->getViewer() : nullptr;
    if (!view)
        return nullptr;
    auto* manipulator = dynamic_cast<CXEarthManipulator*>(view->getCameraManipulator());
    if (!manipulator) {
        manipulator = new CXEarthManipulator;
        view->setCameraManipulator(manipulator, true);
    }
    return manipulator;
}

void report(const std::string& name, const std::string& payload) {
    if (g_playerManager)
        g_playerManager->OnCallback(name, payload, nullptr);
}

} // namespace ToolFrame
