#pragma once

#include "modeling/RecordGrid.h"
#include "network/CPPoint.h"
#include "network/LoadGate.h"

#include <osg/Referenced>
#include <osg/Vec3d>
#include <osg/Vec4d>

#include <functional>
#include <list>
#include <string>
#include <vector>

namespace osg {
class Group;
class Node;
} // namespace osg
namespace osgEarth {
class GeoExtent;
}
class DBPipe;
class PointVisitor;

// One point category of one utility kind ("检修井" of the water supply, say): the rows
// of the kind's point table whose point nature or attached facility is the category's
// name, and the scene nodes built for them.
class DBPoint : public osg::Referenced {
public:
    DBPoint(std::string name, bool ownLook);

    // The nodes of all records in one group.
    virtual osg::Group* buildAll() = 0;
    // Reads the kind's whole point table, appending to `out`; false when the database
    // or the table cannot be read.
    virtual bool loadRecords(std::list<CPPoint>& out) = 0;
    // This category's records, selected from the kind's points on first use: the
    // addresses of the kind's loaded points, in their order, valid for the process.
    virtual const std::vector<const CPPoint*>& getRecords() = 0;
    virtual osg::Node* createNode(const CPPoint& record) = 0;
    // The nodes of the records inside a tile's extent, new on every call.
    virtual osg::Group* buildExtent(osgEarth::GeoExtent extent);
    // The nodes of `chosen` (records of this category), new on every call.
    osg::Group* buildNodes(const std::vector<const CPPoint*>& chosen);
    virtual void accept(PointVisitor& visitor);
    virtual const std::string& getName();
    // Wells, chambers and model equipment have a look of their own; fittings are drawn
    // from the pipes that meet at them.
    virtual bool& hasOwnLook();
    virtual void setLidVisible(bool visible);
    virtual void setChamberVisible(bool visible);
    virtual DBPoint* setOwner(DBPipe* layer);
    // Where a point sits: the terrain height under it minus its burial depth. The
    // surveyed ground elevation plays no part, so the network follows the terrain shown.
    virtual osg::Vec3d position(const CPPoint& record);
    virtual osg::Vec4d& getColor();

    DBPipe* getOwner() const { return owner; }
    // The grid the extent selection finds this category's loaded records through.
    RecordGrid<CPPoint>& recordGrid() { return recordIndex; }

protected:
    ~DBPoint() override;

    // The records member, selected by `select` the first time a selection finds any;
    // until then an empty list, and the next call selects again.
    const std::vector<const CPPoint*>&
    selectRecordsOnce(const std::function<void(std::vector<const CPPoint*>&)>& select);
    // A group of the nodes of all records, as every kind builds it: each node named
    // with its record's GID and carrying a pooled copy of the record.
    osg::Group* buildRecordGroup();

    osg::Vec4d colour;
    std::vector<const CPPoint*> records;
    std::string name;
    bool ownLook;
    DBPipe* owner = nullptr;

private:
    LoadGate recordsGate;
    RecordGrid<CPPoint> recordIndex;
};
