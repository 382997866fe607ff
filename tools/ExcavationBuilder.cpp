#include "tools/ExcavationBuilder.h"

#include "Selmor/CXViewer.h"
#include "Selmor/MyNewUpdateSlaveCallback.h"
#include "modeling/ModelFile.h"

#include <osg/ColorMask>
#include <osg/Depth>
#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Stencil>
#include <osg/Texture2D>

namespace ExcavationBuilder {

namespace {

osg::ref_ptr<osg::MatrixTransform> placed(const osg::Vec3d& origin, osg::Node* child) {
    osg::ref_ptr<osg::MatrixTransform> transform = new osg::MatrixTransform(osg::Matrixd::translate(origin));
    transform->addChild(child);
    return transform;
}

// The image on unit 0 of `geometry`; a missing picture leaves it untextured.
void texture(osg::Geometry& geometry, const char* gbkPath) {
    osg::ref_ptr<osg::Image> image = readModelImage(gbkPath);
    if (image)
        geometry.getOrCreateStateSet()->setTextureAttributeAndModes(0, new osg::Texture2D(image.get()),
                                                                    osg::StateAttribute::ON);
}

// The order the walls walk the points in: a trench's outline alternates between its two
// edges, so the walls go along one edge forward and along the other back.
std::vector<unsigned> wallOrder(unsigned n, Dig dig) {
    std::vector<unsigned> order;
    if (dig != Dig::AlongLine) {
        for (unsigned i = 0; i < n; ++i)
            order.push_back(i);
        return order;
    }
    for (unsigned i = 0; i < n; i += 2)
        order.push_back(i);
    for (int i = int(n) - 1; i >= 1; i -= 2)
        order.push_back(unsigned(i));
    return order;
}

osg::Vec2 bottomCoord(unsigned i, Dig dig) {
    if (i == 0)
        return {0, 0};
    bool trench = dig == Dig::AlongLine;
    switch (i % 4) {
    case 1:
        return {0, 1};
    case 2:
        return trench ? osg::Vec2(1, 0) : osg::Vec2(1, 1);
    case 3:
        return trench ? osg::Vec2(1, 1) : osg::Vec2(1, 0);
    default:
        return dig == Dig::Test ? osg::Vec2(0, 0) : osg::Vec2(1, 1);
    }
}

} // namespace

osg::ref_ptr<osg::MatrixTransform> holeMask(const osg::Vec3dArray& polygon, Dig dig) {
    const osg::Vec3d origin = polygon.front();
    osg::ref_ptr<osg::Vec3dArray> vertices = new osg::Vec3dArray;
    for (const osg::Vec3d& point : polygon)
        vertices->push_back(point - origin);
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setVertexArray(vertices);
    geometry->addPrimitiveSet(new osg::DrawArrays(dig == Dig::AlongLine ? GL_QUAD_STRIP : GL_TRIANGLE_FAN, 0,
                                                  GLsizei(vertices->size())));
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(geometry);
    osg::ref_ptr<osg::MatrixTransform> mask = placed(origin, geode);

    // Marks the stencil with 1 and leaves the far plane in the depth buffer wherever the
    // polygon covers, whatever was there; draws no colour.
    osg::ref_ptr<osg::StateSet> state = new osg::StateSet;
    auto depthFail = dig == Dig::Region ? osg::Stencil::KEEP : osg::Stencil::REPLACE;
    osg::ref_ptr<osg::Stencil> stencil = new osg::Stencil;
    stencil->setFunction(osg::Stencil::ALWAYS, 1, 0xFFFFFFFFu);
    stencil->setOperation(osg::Stencil::KEEP, depthFail, osg::Stencil::REPLACE);
    state->setAttributeAndModes(stencil, osg::StateAttribute::ON);
    state->setAttribute(new osg::ColorMask(false, false, false, false));
    state->setAttributeAndModes(new osg::Depth(osg::Depth::ALWAYS, 1.0, 1.0, true), osg::StateAttribute::ON);
    mask->setStateSet(state);
    return mask;
}

osg::ref_ptr<osg::MatrixTransform> pit(const osg::Vec3dArray& polygon, double depth, Dig dig) {
    const osg::Vec3d origin = polygon.front(), down(0.0, 0.0, depth);
    const unsigned n = unsigned(polygon.size());

    osg::ref_ptr<osg::Vec3dArray> wall = new osg::Vec3dArray;
    osg::ref_ptr<osg::Vec2Array> wallCoords = new osg::Vec2Array;
    std::vector<unsigned> order = wallOrder(n, dig);
    order.push_back(0); // back to the first point: the band closes
    for (unsigned i = 0; i < order.size(); ++i) {
        const osg::Vec3d top = polygon[order[i]] - origin;
        wall->push_back(top);
        wall->push_back(top - down);
        bool odd = i % 2 == 1;
        float u = odd ? 1.0f : 0.0f;
        bool flipped = odd && dig == Dig::AlongLine;
        wallCoords->push_back(osg::Vec2(u, flipped ? 1.0f : 0.0f));
        wallCoords->push_back(osg::Vec2(u, flipped ? 0.0f : 1.0f));
    }
    osg::ref_ptr<osg::Geometry> walls = new osg::Geometry;
    walls->setVertexArray(wall);
    walls->setTexCoordArray(0, wallCoords);
    walls->addPrimitiveSet(new osg::DrawArrays(GL_QUAD_STRIP, 0, GLsizei(wall->size())));
    if (dig == Dig::Test) {
        osg::ref_ptr<osg::Vec4Array> colour = new osg::Vec4Array;
        colour->push_back(osg::Vec4(1.0f, 1.0f, 1.0f, 0.5f));
        walls->setColorArray(colour, osg::Array::BIND_OVERALL);
    }
    texture(*walls, "..\\侧面.jpg");

    osg::ref_ptr<osg::Vec3dArray> floor = new osg::Vec3dArray;
    osg::ref_ptr<osg::Vec2Array> floorCoords = new osg::Vec2Array;
    for (unsigned i = 0; i < n; ++i) {
        floor->push_back(polygon[i] - down - origin);
        floorCoords->push_back(bottomCoord(i, dig));
    }
    osg::ref_ptr<osg::Geometry> bottom = new osg::Geometry;
    bottom->setVertexArray(floor);
    bottom->setTexCoordArray(0, floorCoords);
    bottom->addPrimitiveSet(
        new osg::DrawArrays(dig == Dig::AlongLine ? GL_QUAD_STRIP : GL_TRIANGLE_FAN, 0, GLsizei(n)));
    texture(*bottom, "..\\底面.jpg");

    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(walls);
    geode->addDrawable(bottom);
    // The walls carry no normals: lit evenly, they show their pictures as they are.
    geode->getOrCreateStateSet()->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
    return placed(origin, geode);
}

bool dig(osg::ref_ptr<osg::Group>& group, const osg::Vec3dArray& polygon, double depth, Dig dig) {
    bool made = !group;
    if (made) {
        group = new osg::Group;
        group->setName(dig == Dig::Test ? "test pits" : dig == Dig::AlongLine ? "trenches" : "region pits");
    }
    group->addChild(holeMask(polygon, dig));
    group->addChild(pit(polygon, depth, dig));
    return made;
}

namespace {

// The slave cameras' callbacks, when the main view draws through its slaves.
void tellSlaves(bool active) {
    osgViewer::View* view = g_pCXviewer->getViewer();
    if (!view || view->getCamera()->getViewport() || view->getNumSlaves() < 3)
        return;
    auto* first = dynamic_cast<MyNewUpdateSlaveCallback*>(view->getSlave(1)._updateSlaveCallback.get());
    auto* second = dynamic_cast<MyNewUpdateSlaveCallback*>(view->getSlave(2)._updateSlaveCallback.get());
    if (!first || !second)
        return;
    const osg::BoundingSphere& sphere = g_pCXviewer->getExcavate()->getBound();
    for (MyNewUpdateSlaveCallback* callback : {first, second}) {
        if (active) {
            callback->excavationCenter = osg::Vec3f(sphere.center());
            callback->excavationRadius = float(sphere.radius());
        }
        callback->excavationActive = active;
    }
}

} // namespace

void attach(osg::Group* group) {
    if (!g_pCXviewer || !group)
        return;
    osg::Group* excavate = g_pCXviewer->getExcavate();
    if (!excavate->containsNode(group)) {
        bool wasEmpty = excavate->getNumChildren() == 0;
        excavate->addChild(group);
        if (wasEmpty && !g_pCXviewer->getRoot()->containsNode(excavate))
            g_pCXviewer->getRoot()->addChild(excavate);
    }
    tellSlaves(true);
}

void detach(osg::ref_ptr<osg::Group>& group) {
    if (!group)
        return;
    group->removeChildren(0, group->getNumChildren());
    if (!g_pCXviewer) {
        group = nullptr;
        return;
    }
    osg::Group* excavate = g_pCXviewer->getExcavate();
    excavate->removeChild(group.get());
    group = nullptr;
    if (excavate->getNumChildren() == 0) {
        g_pCXviewer->getRoot()->removeChild(excavate);
        tellSlaves(false);
    }
}

} // namespace ExcavationBuilder
