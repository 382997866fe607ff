#pragma once

#include "network/CXCacheObj.h"
#include "network/RecordAttributes.h"

#include <osg/Referenced>

#include <QVariant>

#include <cstddef>
#include <cstdint>
#include <string>

namespace osg {
class Node;
}

// One row of a kind's line query: a straight piece of pipe between two surveyed
// points, with the start and end coordinates joined in from the point table.
class CPPipeLine : public osg::Referenced, public CXCacheObj<CPPipeLine> {
public:
    CPPipeLine() = default;
    CPPipeLine(const CPPipeLine& other) = default;
    // The copy a segment's scene node carries, pointing back at that node.
    CPPipeLine(const CPPipeLine& other, osg::Node* sceneNode);
    CPPipeLine(CPPipeLine&& other) = default;
    CPPipeLine& operator=(const CPPipeLine& other) = default;
    CPPipeLine& operator=(CPPipeLine&& other) = default;
    ~CPPipeLine() override;

    // Stores one column: into the first member whose column name matches byte for
    // byte, and into the attributes unless the name is already there. The loaders store
    // whole rows another way (RecordLoader.cpp); this is for a record made by hand.
    virtual void setField(std::string column, QVariant value);
    // Along the pipe: the vertical run is the difference of the burial depths.
    virtual double length();

    // The typed members and their columns, in the order a column name is matched.
    static const MemberColumn<CPPipeLine> memberColumns[13];
    // Where the attributes sit inside a segment.
    static std::ptrdiff_t attributesOffset();

    std::string gid;
    std::string layerName;
    std::string material;
    std::string startNumber;
    std::string endNumber;
    double startX = 0.0;
    double startY = 0.0;
    double startElevation = 0.0;
    double startDepth = 0.0;
    double endX = 0.0;
    double endY = 0.0;
    double endElevation = 0.0;
    double endDepth = 0.0;
    std::string sectionSize;
    // R + 256 G + 65536 B of the layer colour.
    std::uint32_t color = 0;
    osg::Node* sceneNode = nullptr;
    Attributes<CPPipeLine> attributes;
};
