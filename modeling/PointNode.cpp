#include "modeling/PointNode.h"

#include <osg/LOD>
#include <osg/MatrixTransform>

osg::LOD* pointNode(const osg::Vec3d& origin, const std::string& gid, osg::Node* content) {
    osg::ref_ptr<osg::MatrixTransform> transform = new osg::MatrixTransform(osg::Matrixd::translate(origin));
    transform->setName(gid);
    if (content)
        transform->addChild(content);

    osg::ref_ptr<osg::LOD> lod = new osg::LOD;
    lod->setCenter(osg::Vec3(origin));
    lod->addChild(transform.get(), 0.f, 500.f);
    return lod.release();
}
