#include "database/DatabasePath.h"

#include "geo/XmlDocument.h"

#include <stdexcept>

namespace {
// Found relative to the host's working directory and nowhere else.
const char* const configurationFile = "pipe.xml";
} // namespace

std::string readDatabasePath() {
    std::string path;
    osg::ref_ptr<osgEarth::XmlDocument> document = osgEarth::XmlDocument::load(configurationFile);
    if (!document.valid())
        throw std::runtime_error("找不到管网配置文件，请检查!");
    const osgEarth::Config& config = document->getConfig();
    if (config.hasChild("pipeline"))
        path = config.child("pipeline").child("conn").value("str");
    return path;
}
