#pragma once

#include "layers/PipeVisitor.h"

#include <osg/Uniform>

namespace osg {
class StateSet;
}

// Moves the flow bands: each update takes `speed` off the uniform, starting again
// near 0 once it has left [-1, 1].
class ColorCallback : public osg::UniformCallback {
public:
    explicit ColorCallback(float speed) : speed(speed) {}
    void operator()(osg::Uniform* uniform, osg::NodeVisitor* visitor) override;

private:
    float speed;
};

// Puts the flow program on (mode 1) or takes it off (mode -1) the pipes group of every
// tile the layer has built and that is still alive.
class pipeDirectionShow : public PipeVisitor {
public:
    static constexpr int Show = 1;
    static constexpr int Cancel = -1;

    explicit pipeDirectionShow(int mode) : mode(mode) {}
    void apply(DBPipe& layer) override;

    // Bands of one model unit along each pipe, dark and light cyan, creeping on every
    // update; they replace the pipes' own lighting and colours.
    static void install(osg::StateSet& state);
    static void remove(osg::StateSet& state);

    // Shows or cancels the flow on the drainage layer, when it is loaded.
    static void onDrainage(int mode);

private:
    int mode;
};
