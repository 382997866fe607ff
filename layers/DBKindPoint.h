#pragma once

#include "layers/DBFittingPoint.h"
#include "layers/DBPoint.h"
#include "network/RecordLoader.h"
#include "network/UtilityKind.h"

#include <list>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

template <Kind K>
using KindPointBase = std::conditional_t<utilityKind(K).hasFittings, DBFittingPoint, DBPoint>;

// The point base of kind K: reads the kind's point table and selects a category's
// records through the kind's visitor, which holds the kind's shared cache.
template <Kind K, class Visitor> class DBKindPoint : public KindPointBase<K> {
public:
    static constexpr Kind kind = K;

    DBKindPoint(std::string name, bool ownLook) : KindPointBase<K>(std::move(name), ownLook) {}

    osg::Group* buildAll() override { return this->buildRecordGroup(); }

    bool loadRecords(std::list<CPPoint>& out) override {
        return loadPointRows(utilityKind(K).pointTable, out);
    }

    const std::vector<const CPPoint*>& getRecords() override {
        return this->selectRecordsOnce([this](std::vector<const CPPoint*>& records) {
            Visitor visitor(this->getName());
            this->accept(visitor);
            records = std::move(visitor.result);
        });
    }

protected:
    ~DBKindPoint() override = default;
};
