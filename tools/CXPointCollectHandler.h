#pragma once

#include "Torvik/CXCommandHandler.h"

#include <osg/Array>
#include <osg/Group>
#include <osg/Node>

#include <cstdint>

// A tool that collects survey points from the map: a left click (on release) starts the
// list with the picked point and a moving copy of it, later left clicks add points, the
// mouse drags the moving end, and a right click (on release) finishes. Drags, presses and
// picks that hit nothing leave everything as it is; no event is ever consumed, so the
// camera keeps working while the tool is active.
class CXPointCollectHandler : public CXCommandHandler {
public:
    enum State : std::int32_t { Idle = 0, Collecting = 1, Done = 2 };

    using CXCommandHandler::handle;
    bool handle(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& aa) override;
    void InitInstance() override;
    void ExitInstance() override;

    std::int32_t state() const { return _state; }
    const osg::Vec3dArray* points() const { return _points.get(); }
    const osg::Node* outline() const { return _outline.get(); }

protected:
    // `outlineMode` is the primitive of the rubber band; `minPointsToMove` the list size
    // below which the moving end does not follow the mouse.
    CXPointCollectHandler(GLenum outlineMode, bool outlineUnlit, unsigned minPointsToMove);
    ~CXPointCollectHandler() override;

    // Something of an earlier run that keeps a new collection from starting.
    virtual bool holdsEarlierRun() const { return false; }
    // A right click while collecting; sets the state it leaves the tool in.
    virtual void finish() = 0;

    // Draws the rubber band over the collected points, or redraws it after they changed.
    void showOutline();
    // Drops the collected points and takes the rubber band off the root.
    void reset();

    std::int32_t _state = Idle;
    osg::ref_ptr<osg::Vec3dArray> _points;
    osg::ref_ptr<osg::Node> _outline;
    // The tool's finished geometry (null until first use).
    osg::ref_ptr<osg::Group> _result;

private:
    GLenum _outlineMode;
    bool _outlineUnlit;
    unsigned _minPointsToMove;
};
