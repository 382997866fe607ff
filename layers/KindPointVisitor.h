#pragma once

#include "layers/PointVisitor.h"
#include "network/CPPoint.h"
#include "network/LoadGate.h"
#include "network/UtilityKind.h"

#include <list>
#include <string>
#include <utility>

// Every point of one kind, read from the kind's point table once and shared by all the
// kind's categories, which each filter it for their own name.
struct KindPointCache {
    LoadGate gate;
    std::list<CPPoint> records;
};

// Loads the kind's points through `category` unless they are loaded already, then
// copies into `result` the points whose nature, or else attached facility, is `name`.
void selectKindPoints(KindPointCache& cache, DBPoint& category, const std::string& name,
                      std::list<CPPoint>& result);

// Selects one category's points from the points of kind K.
template <Kind K> class KindPointVisitor : public PointVisitor {
public:
    explicit KindPointVisitor(std::string categoryName) : name(std::move(categoryName)) {}

    void apply(DBPoint& category) override { selectKindPoints(kindCache(), category, name, result); }

    static KindPointCache& kindCache() {
        static KindPointCache cache;
        return cache;
    }

    std::string name;
    std::list<CPPoint> result;
};
