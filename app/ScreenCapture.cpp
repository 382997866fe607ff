#include "ScreenCapture.h"

#include <osg/GL>
#include <osg/RenderInfo>

void ScreenCapture::operator()(osg::RenderInfo& renderInfo) const {
    std::lock_guard<std::mutex> lock(_mutex);
    if (!_armed)
        return;
    osg::Camera* camera = renderInfo.getCurrentCamera();
    const osg::Viewport* viewport = camera ? camera->getViewport() : nullptr;
    if (!viewport)
        return;
    // A surface beyond the display's drawable size comes back black or not at all.
    GLint most[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, most);
    if (most[0] > 0 && (viewport->width() > most[0] || viewport->height() > most[1])) {
        _refused = std::to_string(int(viewport->width())) + "x" + std::to_string(int(viewport->height())) +
                   " is larger than the display draws (at most " + std::to_string(most[0]) + "x" +
                   std::to_string(most[1]) + ")";
        _armed = false;
        return;
    }
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->readPixels(int(viewport->x()), int(viewport->y()), int(viewport->width()), int(viewport->height()),
                      GL_RGB, GL_UNSIGNED_BYTE);
    _image = image;
    _armed = false;
}
