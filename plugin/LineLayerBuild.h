#pragma once

#include <osg/Group>
#include <osg/ref_ptr>

#include <atomic>
#include <functional>
#include <thread>

// A line layer being built on a worker thread, for the frame thread to attach once it
// is done. Destroying it cancels the building and waits for the thread, which notices
// within a thousand segments; so no thread outlives the control that started it.
class LineLayerBuild {
public:
    // Builds the layer; returns null when it sees `cancelled` set.
    using Work = std::function<osg::ref_ptr<osg::Group>(const std::atomic<bool>& cancelled)>;

    explicit LineLayerBuild(Work work);
    ~LineLayerBuild();
    LineLayerBuild(const LineLayerBuild&) = delete;
    LineLayerBuild& operator=(const LineLayerBuild&) = delete;

    // Asks the building to stop; the thread ends soon after.
    void cancel() { _cancelled.store(true, std::memory_order_relaxed); }
    bool finished() const { return _finished.load(std::memory_order_acquire); }
    // The built layer once finished (null if the building failed), else null.
    osg::ref_ptr<osg::Group> take();

    // Whether the layer is shown when it is attached ("Visual:" while it is built).
    bool visible = true;

private:
    std::atomic<bool> _cancelled{false};
    std::atomic<bool> _finished{false};
    osg::ref_ptr<osg::Group> _layer;
    std::thread _thread;
};
