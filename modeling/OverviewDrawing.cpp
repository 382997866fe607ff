#include "modeling/OverviewDrawing.h"

#include "modeling/SharedObjects.h"

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/MatrixTransform>
#include <osg/Point>
#include <osg/Program>

#include <mutex>

namespace {
std::mutex g_stateMutex;
osg::ref_ptr<osg::StateSet> g_state;
} // namespace

OverviewDrawing::OverviewDrawing(const osg::Vec3d& origin_) : origin(origin_), geode(new osg::Geode) {
    geode->setName(GeodeName);
    geode->setStateSet(sharedStateSet());
}

osg::Node* OverviewDrawing::addKind(const std::string& name, const osg::Vec4& colour,
                                    const std::vector<osg::Vec3d>& lineEnds,
                                    const std::vector<osg::Vec3d>& points) {
    const GLsizei lines = static_cast<GLsizei>(lineEnds.size() / 2 * 2);
    if (lines == 0 && points.empty())
        return nullptr;
    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
    vertices->reserve(static_cast<size_t>(lines) + points.size());
    for (GLsizei i = 0; i < lines; ++i)
        vertices->push_back(osg::Vec3(lineEnds[static_cast<size_t>(i)] - origin));
    for (const osg::Vec3d& point : points)
        vertices->push_back(osg::Vec3(point - origin));
    osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array;
    colours->push_back(colour);

    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setName(name);
    geometry->setVertexArray(vertices.get());
    geometry->setColorArray(colours.get(), osg::Array::BIND_OVERALL);
    if (lines > 0)
        geometry->addPrimitiveSet(new osg::DrawArrays(GL_LINES, 0, lines));
    if (!points.empty())
        geometry->addPrimitiveSet(new osg::DrawArrays(GL_POINTS, lines, static_cast<GLsizei>(points.size())));
    geode->addDrawable(geometry.get());
    return geometry.get();
}

osg::ref_ptr<osg::Node> OverviewDrawing::build(const std::string& name) {
    osg::ref_ptr<osg::MatrixTransform> placed = new osg::MatrixTransform(osg::Matrixd::translate(origin));
    placed->setName(name);
    placed->addChild(geode.get());
    return placed;
}

osg::StateSet* OverviewDrawing::sharedStateSet() {
    // Drawings are built on several pager threads at once: the first of them makes it.
    std::lock_guard<std::mutex> lock(g_stateMutex);
    if (!g_state) {
        g_state = new osg::StateSet;
        g_state->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
        // A program without shaders is the fixed pipeline: the vertex colour unlit.
        g_state->setAttributeAndModes(new osg::Program, osg::StateAttribute::ON);
        g_state->setAttributeAndModes(new osg::Point(3.0f), osg::StateAttribute::ON);
        SharedObjects::guardState(*g_state);
    }
    return g_state.get();
}
