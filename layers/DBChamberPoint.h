#pragma once

#include "modeling/ChamberModel.h"

#include "layers/DBPointCreator.h"

// A category of wells, manholes, hand holes or grates of one kind: every point is drawn
// as the category's shared chamber model, the look given by the category's class.
template <class KindPoint, class Self> class DBChamberPoint : public KindPoint, public DBPointCreator<Self> {
public:
    DBChamberPoint(const char* name, const ChamberLook& look) : KindPoint(name, true), chamber(look) {}

    osg::Node* createNode(const CPPoint& record) override { return chamber.createNode(record); }

    osg::Group* getChamberModel() { return chamber.model(); }
    osg::Geode* buildChamberBody(double h) { return chamber.buildBody(h); }
    osg::Geode* buildChamberLid(double h) { return chamber.buildLid(h); }

    void setLidVisible(bool visible) override { chamber.setLidVisible(visible); }
    void setChamberVisible(bool visible) override { chamber.setBodyVisible(visible); }

protected:
    ~DBChamberPoint() override = default;

private:
    ChamberModel chamber;
};
