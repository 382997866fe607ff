#pragma once

#include "Selmor/SelmorExport.h"

namespace osgViewer {
class View;
}

// Ways to give a view somewhere to draw. The viewer itself does not care which.
namespace ViewSetup {

// A window on the display (false when no display can be opened).
SELMOR_EXPORT bool window(osgViewer::View* view, int x, int y, int width, int height);
// An off-screen pbuffer of the given size, for pictures without a window (needs a
// display connection, such as Xvfb, but shows nothing on it).
SELMOR_EXPORT bool offscreen(osgViewer::View* view, int width, int height);

} // namespace ViewSetup
