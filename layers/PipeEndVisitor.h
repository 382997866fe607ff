#pragma once

#include "layers/PipeVisitor.h"
#include "network/CPPipeLine.h"

#include <string>
#include <utility>
#include <vector>

// How a visitor finds the segments of a layer: through the layer's index, or by
// walking every segment (what the index must agree with, and what it is measured against).
enum class SegmentLookup { Indexed, Scan };

// Collects the segments of the visited layers that start (or end) at one survey point
// number, whole strings compared byte for byte, in segment-list order: the addresses
// of the layers' loaded segments.
class PipeEndVisitor : public PipeVisitor {
public:
    enum class End { Start, End };

    PipeEndVisitor(End end, std::string surveyNumber, SegmentLookup lookup);

    void apply(DBPipe& layer) override;
    const std::vector<const CPPipeLine*>& getResult() const { return result; }

    std::string id;
    std::vector<const CPPipeLine*> result;

private:
    End end;
    SegmentLookup lookup;
};

// The segments that leave a point: their start survey number is the point's.
class PipeStVisitor : public PipeEndVisitor {
public:
    explicit PipeStVisitor(std::string surveyNumber, SegmentLookup lookup = SegmentLookup::Indexed)
        : PipeEndVisitor(End::Start, std::move(surveyNumber), lookup) {}
};

// The segments that arrive at a point: their end survey number is the point's.
class PipeEdVisitor : public PipeEndVisitor {
public:
    explicit PipeEdVisitor(std::string surveyNumber, SegmentLookup lookup = SegmentLookup::Indexed)
        : PipeEndVisitor(End::End, std::move(surveyNumber), lookup) {}
};
