#pragma once

#include "modeling/EquipmentModel.h"

#include "layers/DBPointCreator.h"

// A category of equipment of one kind (valves, meters, hydrants, lamps, risers, boxes,
// cabinets): every point is drawn as the category's one model, standing where the
// point's burial depth puts it below the terrain.
template <class KindPoint, class Self>
class DBEquipmentPoint : public KindPoint, public DBPointCreator<Self> {
public:
    DBEquipmentPoint(const char* name, const EquipmentLook& look) : KindPoint(name, true), equipment(look) {}

    osg::Node* createNode(const CPPoint& record) override {
        return equipment.createNode(this->position(record), record.gid);
    }

    osg::Node* getEquipmentModel() { return equipment.model(); }

protected:
    ~DBEquipmentPoint() override = default;

private:
    EquipmentModel equipment;
};
