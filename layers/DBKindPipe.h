#pragma once

#include "layers/DBPipe.h"
#include "network/UtilityKind.h"

#include <list>

// The pipe layer of kind K: named, coloured and queried as the kind table says.
template <Kind K> class DBKindPipe : public DBPipe {
public:
    static constexpr Kind kind = K;

    DBKindPipe()
        : DBPipe(utilityKind(K).code, utilityKind(K).layerName,
                 osg::Vec4ub(utilityKind(K).colour[0], utilityKind(K).colour[1], utilityKind(K).colour[2],
                             utilityKind(K).colour[3])) {}

    bool loadSegments(std::list<CPPipeLine>& out) override {
        return loadLineQuery(utilityKind(K).lineTable, utilityKind(K).pointTable, out);
    }

    bool kindTables(std::string& lineTable, std::string& pointTable) override {
        lineTable = utilityKind(K).lineTable;
        pointTable = utilityKind(K).pointTable;
        return true;
    }

protected:
    ~DBKindPipe() override = default;
};
