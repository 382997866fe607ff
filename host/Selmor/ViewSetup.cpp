#include "Selmor/ViewSetup.h"

#include <osg/GraphicsContext>
#include <osgViewer/View>

namespace {

bool attach(osgViewer::View* view, int x, int y, int width, int height, bool pbuffer) {
    if (!view)
        return false;
    osg::ref_ptr<osg::GraphicsContext::Traits> traits = new osg::GraphicsContext::Traits;
    traits->x = x;
    traits->y = y;
    traits->width = width;
    traits->height = height;
    traits->windowDecoration = !pbuffer;
    traits->doubleBuffer = !pbuffer;
    traits->pbuffer = pbuffer;
    traits->depth = 24;
    traits->stencil = 8; // the dig tools cut the ground with a stencil mask
    traits->alpha = pbuffer ? 0 : 8;
    traits->sharedContext = nullptr;
    traits->readDISPLAY();
    traits->setUndefinedScreenDetailsToDefaultScreen();

    osg::ref_ptr<osg::GraphicsContext> context = osg::GraphicsContext::createGraphicsContext(traits.get());
    if (!context || !context->valid())
        return false;
    osg::Camera* camera = view->getCamera();
    camera->setGraphicsContext(context.get());
    camera->setViewport(0, 0, width, height);
    camera->setProjectionMatrixAsPerspective(45.0, double(width) / double(height), 1.0, 100000.0);
    GLenum buffer = traits->doubleBuffer ? GL_BACK : GL_FRONT;
    camera->setDrawBuffer(buffer);
    camera->setReadBuffer(buffer);
    return true;
}

} // namespace

namespace ViewSetup {

bool window(osgViewer::View* view, int x, int y, int width, int height) {
    return attach(view, x, y, width, height, false);
}

bool offscreen(osgViewer::View* view, int width, int height) {
    return attach(view, 0, 0, width, height, true);
}

} // namespace ViewSetup
