#pragma once

#include "network/CXCacheObj.h"

#include <osg/Referenced>

#include <QVariant>

#include <map>
#include <string>

// One row of a kind's point table: the columns the program interprets as typed
// members, and every column of the row in the attribute map.
class CPPoint : public osg::Referenced, public CXCacheObj<CPPoint> {
public:
    CPPoint() = default;
    CPPoint(const CPPoint& other) = default;
    CPPoint(CPPoint&& other) = default;
    CPPoint& operator=(const CPPoint& other) = default;
    CPPoint& operator=(CPPoint&& other) = default;
    ~CPPoint() override;

    // Stores one column: into the first member whose column name matches byte for
    // byte, and into the attribute map unless the name is already there.
    void setField(std::string column, QVariant value);

    std::string gid;
    std::string surveyNumber;
    double x = 0.0;
    double y = 0.0;
    double groundElevation = 0.0;
    double depth = 0.0;
    std::string nature;
    std::string facility;
    std::map<std::string, QVariant> attributes;
};
