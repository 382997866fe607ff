#include "tools/TunnelBuilder.h"

#include "loft/Curve.h"
#include "loft/Loft.h"
#include "modeling/ModelFile.h"

#include <osg/Geode>
#include <osg/Image>
#include <osg/MatrixTransform>
#include <osg/Texture2D>

#include <cmath>

bool TunnelBuilder::segmentFrame(const osg::Vec3d& from, const osg::Vec3d& to, osg::Matrixd& placement,
                                 double& length) {
    osg::Vec3d along = to - from;
    length = along.length();
    if (!(length > 0.0) || !std::isfinite(length))
        return false;
    along /= length;
    // Up is the vertical unless the segment itself is (nearly) vertical, where the cross
    // product with the vertical would vanish and the side be noise.
    osg::Vec3d up(0.0, 0.0, 1.0);
    if ((up ^ along).length() < 1e-9)
        up.set(1.0, 0.0, 0.0);
    osg::Vec3d side = up ^ along;
    side.normalize();
    osg::Vec3d normal = along ^ side;
    normal.normalize();
    // Rows are where the local axes land (osg multiplies row vectors from the left).
    placement.set(normal.x(), normal.y(), normal.z(), 0.0, along.x(), along.y(), along.z(), 0.0, side.x(),
                  side.y(), side.z(), 0.0, from.x(), from.y(), from.z(), 1.0);
    return true;
}

osg::ref_ptr<osg::Group> TunnelBuilder::build(const osg::Vec3dArray& centreLine, float width, float height) {
    osg::ref_ptr<osg::Group> tunnel = new osg::Group;
    // The section: height along the frame's up, width to the side, closed.
    osg::ref_ptr<osgModeling::Curve> section = new osgModeling::Curve;
    const float b = height / 2.0f, a = width / 2.0f;
    for (const osg::Vec3& corner : {osg::Vec3(-b, -a, 0.0f), osg::Vec3(b, -a, 0.0f), osg::Vec3(b, a, 0.0f),
                                    osg::Vec3(-b, a, 0.0f), osg::Vec3(-b, -a, 0.0f)})
        section->addPathPoint(corner);

    osg::ref_ptr<osg::Image> image = readModelImage("..\\侧面.jpg");
    osg::ref_ptr<osg::Texture2D> texture = image ? new osg::Texture2D(image.get()) : nullptr;
    for (size_t i = 0; i + 1 < centreLine.size(); ++i) {
        osg::Matrixd placement;
        double length = 0.0;
        if (!segmentFrame(centreLine[i], centreLine[i + 1], placement, length))
            continue;
        osg::ref_ptr<osgModeling::Curve> path = new osgModeling::Curve;
        path->addPathPoint(osg::Vec3(0.0f, 0.0f, 0.0f));
        path->addPathPoint(osg::Vec3(0.0f, static_cast<float>(length), 0.0f));
        osg::ref_ptr<osgModeling::Loft> loft = new osgModeling::Loft;
        loft->setProfile(path.get());
        loft->addShape(section.get());
        if (texture)
            loft->getOrCreateStateSet()->setTextureAttributeAndModes(0, texture.get(),
                                                                     osg::StateAttribute::ON);
        osg::ref_ptr<osg::Geode> geode = new osg::Geode;
        geode->addDrawable(loft.get());
        osg::ref_ptr<osg::MatrixTransform> placed = new osg::MatrixTransform(placement);
        placed->addChild(geode.get());
        tunnel->addChild(placed.get());
    }
    return tunnel;
}
