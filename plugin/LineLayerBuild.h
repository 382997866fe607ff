#pragma once

#include <osg/Group>
#include <osg/Referenced>
#include <osg/ref_ptr>

#include <atomic>
#include <functional>
#include <thread>

// A line layer being read and built on a worker thread, for the frame thread to attach
// once it is done. Destroying it cancels the work and waits for the thread, which
// notices within a thousand segments or features; so no thread outlives the control
// that started it.
class LineLayerBuild {
public:
    struct Built {
        osg::ref_ptr<osg::Group> layer;
        // What the layer was read from, kept open while the control lives (may be null).
        osg::ref_ptr<osg::Referenced> source;
    };
    // Reads and builds the layer; returns no layer when it sees `cancelled` set, or when
    // the layer cannot be made (having said why on standard error).
    using Work = std::function<Built(const std::atomic<bool>& cancelled)>;

    explicit LineLayerBuild(Work work);
    ~LineLayerBuild();
    LineLayerBuild(const LineLayerBuild&) = delete;
    LineLayerBuild& operator=(const LineLayerBuild&) = delete;

    // Asks the work to stop; the thread ends soon after.
    void cancel() { _cancelled.store(true, std::memory_order_relaxed); }
    bool finished() const { return _finished.load(std::memory_order_acquire); }
    // What was built once finished (no layer if the work failed), else nothing.
    Built take();

    // Whether the layer is shown when it is attached ("Visual:" while it is built).
    bool visible = true;

private:
    std::atomic<bool> _cancelled{false};
    std::atomic<bool> _finished{false};
    Built _built;
    std::thread _thread;
};
