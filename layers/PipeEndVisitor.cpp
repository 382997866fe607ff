#include "layers/PipeEndVisitor.h"

#include "layers/DBPipe.h"
#include "layers/SurveyNumberIndex.h"

#include <utility>

PipeEndVisitor::PipeEndVisitor(End end_, std::string surveyNumber, SegmentLookup lookup_)
    : id(std::move(surveyNumber)), end(end_), lookup(lookup_) {}

void PipeEndVisitor::apply(DBPipe& layer) {
    if (const SurveyNumberIndex* tile = layer.tileSegments()) {
        const std::vector<const CPPipeLine*>& found =
            end == End::Start ? tile->startingAt(id) : tile->endingAt(id);
        result.insert(result.end(), found.begin(), found.end());
        return;
    }
    if (lookup == SegmentLookup::Scan) {
        for (const CPPipeLine& segment : layer.segments())
            if ((end == End::Start ? segment.startNumber : segment.endNumber) == id)
                result.push_back(&segment);
        return;
    }
    std::shared_ptr<const SurveyNumberIndex> index = SurveyNumberIndex::of(layer);
    if (!index)
        return;
    const std::vector<const CPPipeLine*>& found =
        end == End::Start ? index->startingAt(id) : index->endingAt(id);
    result.insert(result.end(), found.begin(), found.end());
}
