#include "plugin/LineLayerBuild.h"

#include <cstdio>
#include <exception>

LineLayerBuild::LineLayerBuild(Work work)
    : _thread([this, work = std::move(work)] {
          try {
              _built = work(_cancelled);
              // Bounds computed here, not by the first frame that culls the layer.
              if (_built.layer)
                  _built.layer->getBound();
          } catch (const std::exception& e) {
              // Out of memory, most likely: the layer is not shown, the viewer goes on.
              std::fprintf(stderr, "A line layer could not be built: %s\n", e.what());
              _built = Built();
          }
          _finished.store(true, std::memory_order_release);
      }) {}

LineLayerBuild::~LineLayerBuild() {
    _cancelled.store(true, std::memory_order_relaxed);
    if (_thread.joinable())
        _thread.join();
}

LineLayerBuild::Built LineLayerBuild::take() {
    if (!finished())
        return Built();
    return std::move(_built);
}
