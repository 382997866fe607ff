#pragma once

#include <osg/Image>
#include <osg/Node>
#include <osg/ref_ptr>

// Textures and models named by the program's relative GBK Windows paths, read through
// osgDB with the registry's options; null when the file is missing or unreadable. Safe
// from any thread: reads are taken one at a time.
osg::ref_ptr<osg::Image> readModelImage(const char* gbkWindowsPath);
osg::ref_ptr<osg::Node> readModelNode(const char* gbkWindowsPath);
