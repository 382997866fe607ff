#pragma once

#include <osg/Referenced>

class DBPipe;

// Base of every visitor of pipe layers (extent, start and end point, flow direction).
class PipeVisitor : public osg::Referenced {
public:
    ~PipeVisitor() override = default;
    virtual void apply(DBPipe& layer) = 0;
};
