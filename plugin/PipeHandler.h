#pragma once

#include <osg/Vec3d>
#include <osg/Vec4f>
#include <osgGA/GUIEventHandler>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

// What the handler's messages act on: the line layers of the control that the host
// knows under `ControlName`.
class LineLayerTarget {
public:
    static constexpr const char* ControlName = "Quenvale";

    virtual bool openLine(std::string name, float depth, osg::Vec4f& color) = 0;
    // The caller keeps the points.
    virtual bool openKml(std::string name, std::vector<osg::Vec3d>* points, float radius, float heightOffset,
                         osg::Vec4f& color) = 0;
    virtual void setLineLayerVisible(const std::string& name, bool visible) = 0;
    virtual void removeLineLayer(const std::string& name) = 0;
    // Attaches the layers built meanwhile on other threads.
    virtual void attachBuiltLayers() = 0;

protected:
    ~LineLayerTarget() = default;
};

// Runs the control's pending messages inside the viewer's event traversal, where the
// scene may be changed: at every event, the pending removal first, then the pending
// command, then the line layers whose building has finished are attached. It never
// consumes an event.
//
// The host may post from another thread than the one running the frame loop, so the
// pending values are swapped out under a lock and executed outside it; a message
// posted while another executes waits for the next event.
class PipeHandler : public osgGA::GUIEventHandler {
public:
    using PointList = std::vector<osg::Vec3d>;

    void postCommand(std::string command);
    // The list belongs to this command: it is released after the command runs (or is
    // replaced), whatever the command turns out to be.
    void postCommandWithPoints(std::string command, std::unique_ptr<PointList> points);
    void postRemoval(std::string removal);

    using osgGA::GUIEventHandler::handle;
    bool handle(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& aa) override;

    // Executes whatever is pending against the given target; what handle() does once
    // it has found the control among the host's controls.
    void runPending(LineLayerTarget& target);

    // The pending values, for inspection.
    std::string pendingCommand() const;
    std::string pendingRemoval() const;
    bool hasPendingPoints() const;

protected:
    ~PipeHandler() override;

private:
    static void runCommand(LineLayerTarget& target, const std::string& command, PointList* points);

    mutable std::mutex _mutex;
    std::string _command;
    std::string _removal;
    std::unique_ptr<PointList> _pointList;
};
