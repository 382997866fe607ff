#pragma once

#include "network/CXCacheObj.h"

#include <osg/Referenced>

#include <QVariant>

#include <cstdint>
#include <map>
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
    // byte, and into the attribute map unless the name is already there.
    virtual void setField(std::string column, QVariant value);
    // Along the pipe: the vertical run is the difference of the burial depths.
    virtual double length();

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
    std::map<std::string, QVariant> attributes;
};
