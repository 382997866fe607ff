#pragma once

#include "network/CXCacheObj.h"
#include "network/RecordAttributes.h"

#include <osg/Referenced>

#include <QVariant>

#include <cstddef>
#include <string>

// One row of a kind's point table: the columns the program interprets as typed
// members, and every column of the row in its attributes.
class CPPoint : public osg::Referenced, public CXCacheObj<CPPoint> {
public:
    CPPoint() = default;
    CPPoint(const CPPoint& other) = default;
    CPPoint(CPPoint&& other) = default;
    CPPoint& operator=(const CPPoint& other) = default;
    CPPoint& operator=(CPPoint&& other) = default;
    ~CPPoint() override;

    // Stores one column: into the first member whose column name matches byte for
    // byte, and into the attributes unless the name is already there. The loaders store
    // whole rows another way (RecordLoader.cpp); this is for a record made by hand.
    void setField(std::string column, QVariant value);

    // The typed members and their columns, in the order a column name is matched.
    static const MemberColumn<CPPoint> memberColumns[8];
    // Where the attributes sit inside a point.
    static std::ptrdiff_t attributesOffset();

    std::string gid;
    std::string surveyNumber;
    double x = 0.0;
    double y = 0.0;
    double groundElevation = 0.0;
    double depth = 0.0;
    std::string nature;
    std::string facility;
    Attributes<CPPoint> attributes;
};
