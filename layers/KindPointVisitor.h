#pragma once

#include "layers/PointVisitor.h"
#include "network/CPPoint.h"
#include "network/LoadGate.h"
#include "network/UtilityKind.h"

#include <list>
#include <string>
#include <utility>
#include <vector>

// Every point of one kind, read from the kind's point table once and shared by all the
// kind's categories, which each keep the addresses of the points of their own name.
// Once filled the list never changes and lives until the process ends, so those
// addresses stay valid.
struct KindPointCache {
    LoadGate gate;
    std::list<CPPoint> records;
};

// Loads the kind's points through `category` unless they are loaded already, then
// appends to `result` the addresses of the points whose nature, or else attached
// facility, is `name`.
void selectKindPoints(KindPointCache& cache, DBPoint& category, const std::string& name,
                      std::vector<const CPPoint*>& result);

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
    std::vector<const CPPoint*> result;
};
