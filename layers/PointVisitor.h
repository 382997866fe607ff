#pragma once

#include <osg/Referenced>

class DBPoint;

// Base of every visitor of point categories. Visitors live on their caller's stack,
// are used once, and their results are taken out before they go.
class PointVisitor : public osg::Referenced {
public:
    ~PointVisitor() override = default;
    virtual void apply(DBPoint& category) = 0;
};
