#include "modeling/PipeBody.h"

#include "loft/Curve.h"
#include "loft/Loft.h"

#include <osg/Geode>
#include <osg/Math>

#include <cmath>
#include <map>
#include <mutex>
#include <utility>

namespace {

// 36 facets around, in single precision as the tube is drawn.
osg::ref_ptr<osgModeling::Curve> roundSection(double radius) {
    osg::ref_ptr<osg::Vec3Array> ring = new osg::Vec3Array;
    for (int degrees = 0; degrees <= 360; degrees += 10) {
        float angle = static_cast<float>(degrees) * static_cast<float>(osg::PI) / 180.0f;
        ring->push_back(osg::Vec3(static_cast<float>(radius * std::cos(angle)),
                                  static_cast<float>(radius * std::sin(angle)), 0.0f));
    }
    osg::ref_ptr<osgModeling::Curve> section = new osgModeling::Curve;
    section->setPath(ring.get());
    return section;
}

// The tube lofted along local +y from the origin to `length`.
osg::ref_ptr<osgModeling::Loft> loftTube(double radius, const osg::Vec4& colour, double length) {
    osg::ref_ptr<osgModeling::Curve> path = new osgModeling::Curve;
    path->addPathPoint(osg::Vec3());
    path->addPathPoint(osg::Vec3(osg::Vec3d(0.0, length, 0.0)));
    osg::ref_ptr<osgModeling::Loft> tube = new osgModeling::Loft;
    tube->setProfile(path.get());
    tube->addShape(roundSection(radius).get());
    tube->update(false);
    osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array;
    colours->push_back(colour);
    tube->setColorArray(colours.get(), osg::Array::BIND_OVERALL);
    return tube;
}

// The tubes of unit length, one per radius and colour, for the life of the process. They
// are never in a scene and never change once made: segments only copy from them.
class UnitTubes {
public:
    // Bodies of more sizes than this (a network of odd sizes) are lofted per segment.
    static constexpr std::size_t MaxTubes = 4096;

    static UnitTubes& instance() {
        static UnitTubes tubes;
        return tubes;
    }

    // Null when the tube cannot be shared.
    osg::ref_ptr<const osgModeling::Loft> find(double radius, const osg::Vec4& colour) {
        if (!std::isfinite(radius))
            return nullptr;
        std::lock_guard<std::mutex> lock(mutex);
        auto found = tubes.find({radius, colour});
        if (found != tubes.end())
            return found->second;
        if (tubes.size() >= MaxTubes)
            return nullptr;
        osg::ref_ptr<osgModeling::Loft> tube = loftTube(radius, colour, 1.0);
        tubes.emplace(std::make_pair(radius, colour), tube);
        return tube;
    }

private:
    std::mutex mutex;
    std::map<std::pair<double, osg::Vec4>, osg::ref_ptr<const osgModeling::Loft>> tubes;
};

} // namespace

namespace PipeBodies {

namespace {
thread_local osg::VertexBufferObject* tileBuffer = nullptr;
} // namespace

SharedTubeBuffer::SharedTubeBuffer() {
    tileBuffer = new osg::VertexBufferObject;
    tileBuffer->ref();
}

SharedTubeBuffer::~SharedTubeBuffer() {
    tileBuffer->unref();
    tileBuffer = nullptr;
}

osg::Geode* roundTube(double radius, const osg::Vec4& colour, double length) {
    osg::ref_ptr<osgModeling::Loft> tube;
    osg::ref_ptr<const osgModeling::Loft> unit = UnitTubes::instance().find(radius, colour);
    const auto* unitVertices = unit ? dynamic_cast<const osg::Vec3Array*>(unit->getVertexArray()) : nullptr;
    if (unitVertices && unitVertices->size() % 2 == 0) {
        // The far ring is the near one moved along the axis, as the loft places it; the
        // copy keeps the unit tube's curves, but its surface is these vertices.
        tube = new osgModeling::Loft(*unit, osg::CopyOp::SHALLOW_COPY);
        const std::size_t ring = unitVertices->size() / 2;
        osg::ref_ptr<osg::Vec3Array> vertices =
            new osg::Vec3Array(unitVertices->begin(), unitVertices->end());
        const osg::Vec3 along(osg::Vec3d(0.0, length, 0.0));
        for (std::size_t i = 0; i < ring; ++i)
            (*vertices)[ring + i] = (*vertices)[i] + along;
        // A buffer of its own: the geometry would otherwise put the vertices in the buffer
        // of the shared normals, which every tube of the size would then write to.
        vertices->setVertexBufferObject(tileBuffer ? tileBuffer : new osg::VertexBufferObject);
        tube->setVertexArray(vertices.get());
    } else {
        tube = loftTube(radius, colour, length);
    }
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(tube.get());
    return geode.release();
}

} // namespace PipeBodies
