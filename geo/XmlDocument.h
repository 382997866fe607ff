#pragma once

#include "geo/Config.h"
#include "geo/GeoExport.h"

#include <osg/Referenced>
#include <osg/ref_ptr>

#include <string>

namespace osgEarth {

// An XML file read into a Config tree. The document's Config has no key; its children
// are the top-level elements. All text comes out as GBK bytes, whatever encoding the
// file declares, because the program holds paths and names as GBK.
class GEO_EXPORT XmlDocument : public osg::Referenced {
public:
    // Null when the file is missing, unreadable, not well-formed XML or past the limits. The path is a
    // GBK byte string, relative to the working directory unless absolute.
    static osg::ref_ptr<XmlDocument> load(const std::string& path);
    // Parses XML text held in memory; null when it is not well-formed or past the
    // limits of text/XmlBounds.h.
    static osg::ref_ptr<XmlDocument> parse(const std::string& bytes);

    const Config& getConfig() const { return _config; }

protected:
    ~XmlDocument() override = default;

private:
    XmlDocument() = default;
    Config _config;
};

} // namespace osgEarth
