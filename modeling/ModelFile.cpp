#include "modeling/ModelFile.h"

#include "text/NativePath.h"

#include <osgDB/ReadFile>
#include <osgDB/Registry>

#include <mutex>

namespace {
// One read at a time: osgDB's readers format OpenSceneGraph's version string into one
// static buffer on every call, so two threads reading files at once would write it
// together. Each texture and model is read once and then shared, so the wait is short.
std::mutex readMutex;
} // namespace

osg::ref_ptr<osg::Image> readModelImage(const char* gbkWindowsPath) {
    std::lock_guard<std::mutex> guard(readMutex);
    return osgDB::readRefImageFile(nativePath(gbkWindowsPath), osgDB::Registry::instance()->getOptions());
}

osg::ref_ptr<osg::Node> readModelNode(const char* gbkWindowsPath) {
    std::lock_guard<std::mutex> guard(readMutex);
    return osgDB::readRefNodeFile(nativePath(gbkWindowsPath), osgDB::Registry::instance()->getOptions());
}
