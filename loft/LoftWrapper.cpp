#include "loft/Loft.h"

#include <osgDB/ObjectWrapper>

// Scene exports (.osgt, .osgb, .ive) keep a loft as the surface it built; read back,
// it is that surface without its curves.
REGISTER_OBJECT_WRAPPER(osgModeling_Loft, new osgModeling::Loft, osgModeling::Loft,
                        "osg::Object osg::Node osg::Drawable osg::Geometry osgModeling::Loft") {}
