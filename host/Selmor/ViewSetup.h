#pragma once

#include "Selmor/SelmorExport.h"

namespace osg {
class Camera;
class Group;
} // namespace osg
namespace osgViewer {
class GraphicsWindow;
class View;
} // namespace osgViewer

// Ways to give a view somewhere to draw, and the passes it draws in. The viewer itself
// does not care which.
//
// The main view draws through three slave cameras on one window and viewport (its
// master camera has none; the slaves follow its view, projection and cull settings):
//   0  clear: clears colour, depth and stencil, draws nothing;
//   1  cut: draws only the hole masks of the digs, which mark the stencil where the
//      ground is dug away (colour and depth are left alone);
//   2  scene: everything else, the ground drawn only where the stencil is not marked
//      while the ground is cut. The pits, the pipes in them and the rest are drawn as
//      usual, so the ground is seen as before wherever nothing is dug.
// Slaves 1 and 2 carry MyNewUpdateSlaveCallback.
namespace ViewSetup {

// The node-mask bit of a hole mask (set by the scene pass's callback); the other bits
// are the scene's.
constexpr unsigned HoleMaskBit = 0x80000000u;

// Gives `view` the three passes above, with `ground` (the group the terrain hangs under)
// cut by the stencil; once, before any window. Without a window nothing is drawn, but
// the slaves' callbacks run each frame as they would.
SELMOR_EXPORT void passes(osgViewer::View* view, osg::Group* ground);
// The slave camera of a pass (0, 1, 2), or null.
SELMOR_EXPORT osg::Camera* pass(osgViewer::View* view, unsigned index);

// A window on the display (false when no display can be opened).
SELMOR_EXPORT bool window(osgViewer::View* view, int x, int y, int width, int height);
// A window whose context a window toolkit makes and makes current (a widget's): the view
// draws into whatever framebuffer is current, or the window's default framebuffer object.
// The toolkit hands it its input events and sizes. Null when `view` is.
SELMOR_EXPORT osgViewer::GraphicsWindow* embedded(osgViewer::View* view, int width, int height);
// The view's drawing area is now `width` x `height` pixels (an embedded window resized).
SELMOR_EXPORT void resize(osgViewer::View* view, int width, int height);
// An off-screen pbuffer of the given size, for pictures without a window (needs a
// display connection, such as Xvfb, but shows nothing on it).
SELMOR_EXPORT bool offscreen(osgViewer::View* view, int width, int height);

} // namespace ViewSetup
