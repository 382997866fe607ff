#pragma once

#include <osg/Camera>
#include <osg/Image>

#include <mutex>

// Reads the colour buffer back after a frame has been drawn, when armed.
class ScreenCapture : public osg::Camera::DrawCallback {
public:
    void arm() {
        std::lock_guard<std::mutex> lock(_mutex);
        _armed = true;
        _image = nullptr;
    }
    // The picture of the last armed frame, or null.
    osg::ref_ptr<osg::Image> take() {
        std::lock_guard<std::mutex> lock(_mutex);
        osg::ref_ptr<osg::Image> image = _image;
        _image = nullptr;
        return image;
    }
    void operator()(osg::RenderInfo& renderInfo) const override;

private:
    mutable std::mutex _mutex;
    mutable bool _armed = false;
    mutable osg::ref_ptr<osg::Image> _image;
};
