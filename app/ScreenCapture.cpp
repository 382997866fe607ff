#include "ScreenCapture.h"

#include <osg/RenderInfo>

void ScreenCapture::operator()(osg::RenderInfo& renderInfo) const {
    std::lock_guard<std::mutex> lock(_mutex);
    if (!_armed)
        return;
    osg::Camera* camera = renderInfo.getCurrentCamera();
    const osg::Viewport* viewport = camera ? camera->getViewport() : nullptr;
    if (!viewport)
        return;
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->readPixels(int(viewport->x()), int(viewport->y()), int(viewport->width()), int(viewport->height()),
                      GL_RGB, GL_UNSIGNED_BYTE);
    _image = image;
    _armed = false;
}
