#include "modeling/ModelFile.h"

#include "text/NativePath.h"

#include <osgDB/ReadFile>
#include <osgDB/Registry>

osg::ref_ptr<osg::Image> readModelImage(const char* gbkWindowsPath) {
    return osgDB::readRefImageFile(nativePath(gbkWindowsPath), osgDB::Registry::instance()->getOptions());
}

osg::ref_ptr<osg::Node> readModelNode(const char* gbkWindowsPath) {
    return osgDB::readRefNodeFile(nativePath(gbkWindowsPath), osgDB::Registry::instance()->getOptions());
}
