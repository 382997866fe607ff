#include "loft/Loft.h"

#include <osg/BoundingBox>
#include <osg/Quat>

#include <algorithm>
#include <cmath>

namespace osgModeling {
namespace {

// Where a section turns by more than this, its two sides get their own normals (the
// corners of a box culvert or a square well); gentler turns (a 36- or even a 6-facet
// round pipe) are shaded smooth.
const float kCreaseCos = std::cos(osg::DegreesToRadians(70.0f));

struct SectionVertex {
    osg::Vec2 position;
    osg::Vec2 normal;
    float s;
    bool joinsNext; // false between the two copies of a creased corner
};

std::vector<osg::Vec2> distinctPoints(const osg::Vec3Array* path) {
    std::vector<osg::Vec2> points;
    if (!path)
        return points;
    for (const osg::Vec3& p : *path) {
        const osg::Vec2 q(p.x(), p.y());
        if (points.empty() || (q - points.back()).length2() > 0.0f)
            points.push_back(q);
    }
    return points;
}

// The section's vertices in its own plane, corners split, with the seam of a closed
// section given twice (s = 0 and s = 1).
std::vector<SectionVertex> sectionVertices(const osg::Vec3Array* path) {
    std::vector<osg::Vec2> p = distinctPoints(path);
    std::vector<SectionVertex> out;
    // A ring computed in single precision ends a rounding error away from its start.
    osg::BoundingBox box;
    for (const osg::Vec2& q : p)
        box.expandBy(osg::Vec3(q, 0.0f));
    const float tolerance = 1e-5f * box.radius();
    bool closed = false;
    while (p.size() >= 2 && (p.front() - p.back()).length() <= tolerance) {
        p.pop_back();
        closed = true;
    }
    const size_t n = p.size();
    if (n < 2 || (closed && n < 3))
        return out;

    if (closed) {
        float area = 0.0f;
        for (size_t i = 0; i < n; ++i)
            area += p[i].x() * p[(i + 1) % n].y() - p[(i + 1) % n].x() * p[i].y();
        // Walked counter-clockwise, the right of travel is the outside of a ring.
        if (area < 0.0f)
            std::reverse(p.begin() + 1, p.end());
    }
    const size_t edges = closed ? n : n - 1;
    std::vector<osg::Vec2> edgeNormal(edges);
    std::vector<float> arc(edges + 1, 0.0f);
    for (size_t i = 0; i < edges; ++i) {
        const osg::Vec2 d = p[(i + 1) % n] - p[i];
        edgeNormal[i] = osg::Vec2(d.y(), -d.x()) / d.length();
        arc[i + 1] = arc[i] + d.length();
    }

    auto emit = [&](const osg::Vec2& position, size_t arcIndex, const osg::Vec2* before,
                    const osg::Vec2* after) {
        const float s = arc[arcIndex] / arc[edges];
        if (before && after && (*before) * (*after) < kCreaseCos) {
            out.push_back({position, *before, s, false});
            out.push_back({position, *after, s, true});
            return;
        }
        osg::Vec2 normal = before && after ? *before + *after : before ? *before : *after;
        normal.normalize();
        out.push_back({position, normal, s, true});
    };
    if (closed) {
        // The seam: one copy opens the ring, the other closes it.
        const bool crease = edgeNormal.back() * edgeNormal.front() < kCreaseCos;
        osg::Vec2 seamNormal = edgeNormal.back() + edgeNormal.front();
        seamNormal.normalize();
        out.push_back({p[0], crease ? edgeNormal.front() : seamNormal, 0.0f, true});
        for (size_t i = 1; i < n; ++i)
            emit(p[i], i, &edgeNormal[i - 1], &edgeNormal[i]);
        out.push_back({p[0], crease ? edgeNormal.back() : seamNormal, 1.0f, false});
    } else {
        for (size_t i = 0; i < n; ++i)
            emit(p[i], i, i > 0 ? &edgeNormal[i - 1] : nullptr, i < edges ? &edgeNormal[i] : nullptr);
        out.back().joinsNext = false;
    }
    return out;
}

} // namespace

Loft::Loft() = default;

Loft::Loft(const Loft& other, const osg::CopyOp& copyop)
    : osg::Geometry(other, copyop), _profile(other._profile), _shapes(other._shapes),
      _builtCount(other._builtCount), _built(other._built) {}

void Loft::setProfile(Curve* path) {
    _profile = path;
    update(true);
}

void Loft::addShape(Curve* section) {
    if (!section)
        return;
    _shapes.push_back(section);
    update(true);
}

unsigned Loft::curvesModifiedCount() const {
    unsigned count = _profile ? _profile->getModifiedCount() : 0u;
    for (const auto& shape : _shapes)
        count += shape->getModifiedCount();
    return count;
}

void Loft::update(bool force) {
    if (!force && _built && _builtCount == curvesModifiedCount())
        return;
    build();
    _builtCount = curvesModifiedCount();
    _built = true;
}

void Loft::build() {
    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
    osg::ref_ptr<osg::Vec3Array> normals = new osg::Vec3Array;
    osg::ref_ptr<osg::Vec2Array> texCoords = new osg::Vec2Array;
    osg::ref_ptr<osg::DrawElementsUInt> triangles = new osg::DrawElementsUInt(GL_TRIANGLES);

    std::vector<osg::Vec3> path;
    if (_profile)
        for (const osg::Vec3& p : *_profile->getPath())
            if (path.empty() || (p - path.back()).length2() > 0.0f)
                path.push_back(p);
    std::vector<std::vector<SectionVertex>> sections;
    for (const auto& shape : _shapes)
        sections.push_back(sectionVertices(shape->getPath()));
    bool joinable = path.size() >= 2 && !sections.empty() && !sections.front().empty();
    for (const auto& section : sections) {
        joinable = joinable && section.size() == sections.front().size();
        for (size_t i = 0; joinable && i < section.size(); ++i)
            joinable = section[i].joinsNext == sections.front()[i].joinsNext;
    }

    if (joinable) {
        float pathLength = 0.0f;
        for (size_t j = 1; j < path.size(); ++j)
            pathLength += (path[j] - path[j - 1]).length();
        // Each section is turned from the previous one by the bend between them, so a
        // bent path does not twist its section.
        osg::Quat rotation;
        osg::Vec3 previousDirection(0.0f, 0.0f, 1.0f);
        float travelled = 0.0f;
        for (size_t j = 0; j < path.size(); ++j) {
            osg::Vec3 in = j > 0 ? path[j] - path[j - 1] : osg::Vec3();
            osg::Vec3 out = j + 1 < path.size() ? path[j + 1] - path[j] : osg::Vec3();
            if (j > 0)
                travelled += in.length();
            in.normalize();
            out.normalize();
            osg::Vec3 direction = in + out;
            if (direction.normalize() == 0.0f)
                direction = out.length2() > 0.0f ? out : in;
            osg::Quat turn;
            turn.makeRotate(osg::Vec3d(previousDirection), osg::Vec3d(direction));
            rotation = rotation * turn;
            previousDirection = direction;

            const std::vector<SectionVertex>& section = sections[std::min(j, sections.size() - 1)];
            for (const SectionVertex& v : section) {
                vertices->push_back(path[j] + rotation * osg::Vec3(v.position, 0.0f));
                normals->push_back(rotation * osg::Vec3(v.normal, 0.0f));
                texCoords->push_back(osg::Vec2(v.s, travelled / pathLength));
            }
        }
        const std::vector<SectionVertex>& layout = sections.front();
        const unsigned ring = static_cast<unsigned>(layout.size());
        for (unsigned j = 0; j + 1 < path.size(); ++j) {
            for (unsigned i = 0; i + 1 < ring; ++i) {
                if (!layout[i].joinsNext)
                    continue;
                const unsigned a = j * ring + i, b = a + 1, c = b + ring, d = a + ring;
                for (unsigned index : {a, b, c, a, c, d})
                    triangles->push_back(index);
            }
        }
    }

    setVertexArray(vertices.get());
    setNormalArray(normals.get(), osg::Array::BIND_PER_VERTEX);
    setTexCoordArray(0, texCoords.get(), osg::Array::BIND_PER_VERTEX);
    removePrimitiveSet(0, getNumPrimitiveSets());
    if (!triangles->empty())
        addPrimitiveSet(triangles.get());
    dirtyBound();
    dirtyGLObjects();
}

} // namespace osgModeling
