#pragma once

#include "Torvik/CXCommandHandler.h"

#include <osg/Vec4d>
#include <osg/ref_ptr>

#include <vector>

namespace osg {
class Node;
}

// Paints nodes in the highlight colour. One per process, made on first use, when it
// also joins the main view's event handlers (once only).
class CXHighLightUtil : public CXCommandHandler {
public:
    static CXHighLightUtil* getInstance();
    // Every geometry under each node that has colours gets the one highlight colour.
    void highLight(const std::vector<osg::ref_ptr<osg::Node>>& nodes);

    static const osg::Vec4d HighLightColour;

protected:
    CXHighLightUtil() = default;
    ~CXHighLightUtil() override = default;

private:
    osg::Vec4d colour;
    osg::ref_ptr<osg::Node> node;
};
