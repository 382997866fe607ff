#pragma once

#include <osg/Image>
#include <osg/Node>
#include <osg/ref_ptr>

#include <functional>
#include <string>
#include <vector>

// Every texture and model file the network and the tools read, by its path relative to the
// folder above the host's working directory (the build tree: bin/ beside model/), UTF-8.
// Exactly one of image and model is set.
struct Asset {
    std::string path;
    std::function<osg::ref_ptr<osg::Image>()> image;
    std::function<osg::ref_ptr<osg::Node>()> model;
};

const std::vector<Asset>& assetCatalog();

// Writes every asset under root, making folders as needed; returns the paths that could
// not be written (empty on success).
std::vector<std::string> writeAssets(const std::string& root);
