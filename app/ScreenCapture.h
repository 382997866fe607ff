#pragma once

#include <osg/Camera>
#include <osg/Image>

#include <mutex>
#include <string>

// Reads the colour buffer back after a frame has been drawn, when armed.
class ScreenCapture : public osg::Camera::DrawCallback {
public:
    void arm() {
        std::lock_guard<std::mutex> lock(_mutex);
        _armed = true;
        _image = nullptr;
    }
    // The picture of the last armed frame, or null; then `refused` says why when the
    // drawing surface was larger than the display can draw.
    osg::ref_ptr<osg::Image> take(std::string& refused) {
        std::lock_guard<std::mutex> lock(_mutex);
        osg::ref_ptr<osg::Image> image = _image;
        _image = nullptr;
        refused = _refused;
        return image;
    }
    void operator()(osg::RenderInfo& renderInfo) const override;

private:
    mutable std::mutex _mutex;
    mutable bool _armed = false;
    mutable osg::ref_ptr<osg::Image> _image;
    mutable std::string _refused;
};
