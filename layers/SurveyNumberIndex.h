#pragma once

#include "network/CPPipeLine.h"

#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class DBPipe;

// The segments of one loaded segment list by the survey point numbers they start and
// end at, each in list order: what a fitting asks of its layer, without walking every
// segment of the layer for every fitting.
class SurveyNumberIndex {
public:
    // Points into `segments`, which must outlive the index and not change.
    explicit SurveyNumberIndex(const std::list<CPPipeLine>& segments);

    const std::vector<const CPPipeLine*>& startingAt(const std::string& surveyNumber) const;
    const std::vector<const CPPipeLine*>& endingAt(const std::string& surveyNumber) const;

    // The index of a layer's loaded segments, built by the first tile to ask and shared
    // by every later one; null while the layer has no segments (its next load may find
    // some). A layer that has gone and another made at its address never share one.
    static std::shared_ptr<const SurveyNumberIndex> of(DBPipe& layer);

private:
    using Segments = std::unordered_map<std::string, std::vector<const CPPipeLine*>>;
    Segments starts;
    Segments ends;
};
