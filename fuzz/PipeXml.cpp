// pipe.xml: the bounds check ahead of Qt's recursive parser, the XML read into a Config
// tree, the database path the plug-in takes from it and the view the host takes from it.
#include "FuzzCheck.h"

#include "app/ViewSettings.h"
#include "database/DatabasePath.h"
#include "geo/XmlDocument.h"
#include "text/XmlBounds.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace {
// "找不到管网配置文件，请检查!" as the program holds it, GBK: checks the build's literals too.
const std::string missingMessage = "\xD5\xD2\xB2\xBB\xB5\xBD\xB9\xDC\xCD\xF8\xC5\xE4\xD6\xC3\xCE\xC4\xBC\xFE"
                                   "\xA3\xAC\xC7\xEB\xBC\xEC\xB2\xE9!";
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string bounds = xmlBoundsError(bytes.data(), bytes.size());
    osg::ref_ptr<osgEarth::XmlDocument> document = osgEarth::XmlDocument::parse(bytes);
    if (!bounds.empty())
        FUZZ_CHECK(!document);

    std::string error;
    const std::string path = databasePathIn(bytes, error);
    if (!bounds.empty())
        FUZZ_CHECK(error == "pipe.xml: " + bounds && path.empty());
    else if (!document)
        FUZZ_CHECK(error == missingMessage && path.empty());
    else
        FUZZ_CHECK(error.empty());

    ViewSettings view;
    std::string why;
    if (!view.parse(bytes, "pipe.xml", why)) {
        FUZZ_CHECK(!why.empty());
        return 0;
    }
    FUZZ_CHECK(bounds.empty());
    if (view.hasGround)
        FUZZ_CHECK(std::isfinite(view.ground));
    double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
    if (view.bounds(xmin, ymin, xmax, ymax))
        FUZZ_CHECK(std::isfinite(xmin) && std::isfinite(ymax) && xmin < xmax && ymin < ymax);
    return 0;
}
