#include "layers/KindPointVisitor.h"

#include "layers/DBPoint.h"

void selectKindPoints(KindPointCache& cache, DBPoint& category, const std::string& name,
                      std::vector<const CPPoint*>& result) {
    bool loaded = cache.gate.ensure([&] {
        if (!category.loadRecords(cache.records))
            cache.records.clear();
        return !cache.records.empty();
    });
    if (!loaded)
        return;
    // A tee with an inspection well on it belongs to both categories.
    for (const CPPoint& point : cache.records)
        if (point.nature == name || point.facility == name)
            result.push_back(&point);
}
