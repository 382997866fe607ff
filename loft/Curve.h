#pragma once

#include "loft/LoftExport.h"

#include <osg/Array>
#include <osg/Referenced>
#include <osg/ref_ptr>

namespace osgModeling {

// A polyline: a pipe's cross-section (given in its own x-y plane; closed when its last
// point repeats the first) or the path a section is swept along.
class LOFT_EXPORT Curve : public osg::Referenced {
public:
    Curve();

    void addPathPoint(const osg::Vec3& point);
    // Takes the array itself, not a copy; call dirty() after editing it in place.
    void setPath(osg::Vec3Array* path);
    const osg::Vec3Array* getPath() const { return _path.get(); }

    void dirty() { ++_modifiedCount; }
    // Grows with every change, so a loft can tell whether its curves changed since it
    // was built.
    unsigned getModifiedCount() const { return _modifiedCount; }

protected:
    ~Curve() override = default;

private:
    osg::ref_ptr<osg::Vec3Array> _path;
    unsigned _modifiedCount = 0;
};

} // namespace osgModeling
