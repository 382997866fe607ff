#include "layers/SurveyNumberIndex.h"

#include "layers/DBPipe.h"

#include <osg/observer_ptr>

#include <map>
#include <mutex>

namespace {

const std::vector<const CPPipeLine*>&
find(const std::unordered_map<std::string, std::vector<const CPPipeLine*>>& map, const std::string& key) {
    static const std::vector<const CPPipeLine*> none;
    auto found = map.find(key);
    return found == map.end() ? none : found->second;
}

// One layer's index, built once outside the registry lock so that tiles of other
// layers are not held up; a build that throws leaves it to the next caller.
struct LayerIndex {
    osg::observer_ptr<DBPipe> layer;
    const std::list<CPPipeLine>* segments = nullptr;
    std::once_flag built;
    std::shared_ptr<const SurveyNumberIndex> index;
};

} // namespace

SurveyNumberIndex::SurveyNumberIndex(const std::list<CPPipeLine>& segments) {
    for (const CPPipeLine& segment : segments) {
        starts[segment.startNumber].push_back(&segment);
        ends[segment.endNumber].push_back(&segment);
    }
}

const std::vector<const CPPipeLine*>& SurveyNumberIndex::startingAt(const std::string& surveyNumber) const {
    return find(starts, surveyNumber);
}

const std::vector<const CPPipeLine*>& SurveyNumberIndex::endingAt(const std::string& surveyNumber) const {
    return find(ends, surveyNumber);
}

std::shared_ptr<const SurveyNumberIndex> SurveyNumberIndex::of(DBPipe& layer) {
    // A filled segment list never changes again, so its index stays true for the life
    // of the layer; an unfilled one is an empty list of the caller's own.
    const std::list<CPPipeLine>& segments = layer.segments();
    if (segments.empty())
        return nullptr;

    static std::mutex mutex;
    static std::map<const DBPipe*, std::shared_ptr<LayerIndex>> layers;
    std::shared_ptr<LayerIndex> entry;
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (auto it = layers.begin(); it != layers.end();)
            it = it->second->layer.get() ? std::next(it) : layers.erase(it);
        std::shared_ptr<LayerIndex>& slot = layers[&layer];
        if (!slot || slot->layer.get() != &layer || slot->segments != &segments) {
            slot = std::make_shared<LayerIndex>();
            slot->layer = &layer;
            slot->segments = &segments;
        }
        entry = slot;
    }
    std::call_once(entry->built, [&] { entry->index = std::make_shared<SurveyNumberIndex>(segments); });
    return entry->index;
}
