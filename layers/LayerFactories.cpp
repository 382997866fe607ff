#include "layers/LayerFactories.h"

LayerFactories& LayerFactories::instance() {
    // Made by the first kind that registers, during the module's static initialisation,
    // and gone only after everything made later (the control among it).
    static LayerFactories factories;
    return factories;
}

void LayerFactories::registerPipeCreator(const std::string& key, PipeCreatorFunc creator) {
    pipeCreators.emplace(key, creator);
}

void LayerFactories::registerPointCreator(const std::string& key, PointCreatorFunc creator) {
    pointCreators.emplace(key, creator);
}
