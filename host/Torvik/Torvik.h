#pragma once

#include "Torvik/TorvikExport.h"

#include <osg/Vec3d>

#include <string>
#include <vector>

namespace osgViewer {
class View;
}
namespace osgGA {
class GUIEventAdapter;
}

namespace Torvik {

// The pieces of text between separators, in order, empty pieces included:
// "a,,b," gives "a", "", "b", "". Empty text gives no piece; an empty separator
// gives the whole text as one piece.
TORVIK_EXPORT std::vector<std::string> splitStr(const std::string& text, const std::string& separator);

// A node whose user value of this name is true is seen through (ground made translucent):
// a pick passes through it to what lies beneath.
constexpr const char* SeeThrough = "seeThrough";

// The world point of the nearest scene surface under the pointer of the event that is
// not seen through, or of the nearest seen-through one when nothing lies beneath it;
// exactly (0, 0, 0) when nothing is hit.
TORVIK_EXPORT osg::Vec3d pick(osgViewer::View* view, const osgGA::GUIEventAdapter& ea);

} // namespace Torvik
