#pragma once

#include "Torvik/CXCommandHandler.h"

#include <osg/Node>
#include <osg/Vec3d>

#include <cstdint>

// The cross-section line: a left click fixes its first end, the other end follows the
// mouse, a right click sends the line to the host (which draws the section) and a second
// right click takes the line away.
class CXTransectAnalysisHandler : public CXCommandHandler {
public:
    enum State : std::int32_t { Idle = 0, Collecting = 1, Done = 2, Closed = 3 };

    CXTransectAnalysisHandler();
    using CXCommandHandler::handle;
    bool handle(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& aa) override;
    void InitInstance() override;
    void ExitInstance() override;

    std::int32_t state() const { return _state; }

protected:
    ~CXTransectAnalysisHandler() override;

private:
    void removeLine();

    std::int32_t _state = Idle;
    osg::Vec3d _first;
    osg::Vec3d _current;
    osg::ref_ptr<osg::Node> _line;
};
