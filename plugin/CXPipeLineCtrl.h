#pragma once

#include "Torvik/CXControl.h"
#include "geo/FeatureSource.h"
#include "layers/LayerFactories.h"
#include "plugin/PipeHandler.h"
#include "plugin/Singleton.h"

#include <osg/Group>
#include <osg/Vec3d>
#include <osg/Vec4f>
#include <osg/ref_ptr>

#include <map>
#include <string>
#include <vector>

namespace osgEarth {
class GeoExtent;
}

// The plug-in's one control, known to the host as "Quenvale". It takes the host's
// messages about line layers and has them run at the next viewer event, keeps those
// line layers under the host's pipe group, and is the hub of the pipe network: the
// kinds' factories, the loaded pipe layers and the network root.
class CXPipeLineCtrl : public CXControl, public LineLayerTarget, public Singleton<CXPipeLineCtrl> {
public:
    static constexpr const char* ControlName = LineLayerTarget::ControlName;

    void initialize() override;
    bool postMessage(std::string message) override;
    bool postMessageWithData(void* data, std::string message) override;
    bool postRemoval(std::string message) override;
    ~CXPipeLineCtrl() override;

    // Builds a line layer from the line features of the vector data source at `name`,
    // `depth` below the terrain; false when the source does not open.
    bool openLine(std::string name, float depth, osg::Vec4f& color) override;
    // Builds a line layer of tubes along `points` (world coordinates), raised by
    // `heightOffset`. The caller keeps the points.
    bool openKml(std::string name, std::vector<osg::Vec3d>* points, float radius, float heightOffset,
                 osg::Vec4f& color) override;

    // Line layers by name: show (node mask 1) or hide (0); detach and forget. Names
    // not present do nothing.
    void setLineLayerVisible(const std::string& name, bool visible) override;
    void removeLineLayer(const std::string& name) override;
    // Attaches a built line layer under the pipe group and records it under `name`
    // unless that name is taken (the group is attached either way).
    void addLineLayer(const std::string& name, osg::Group* layer);

    PipeHandler* getHandler() const { return handler.get(); }

    // The first pipe layer of that exact name, or null.
    osg::ref_ptr<DBPipe> findPipeLayer(const std::string& name);
    // A tile's content: what every pipe layer builds within `extent`, in layer order.
    osg::Group* createExtentNode(osgEarth::GeoExtent& extent);
    // A light drawing of what every pipe layer holds within `extent`, for the coarser
    // tiles of the paged graph: lines and dots, named `name` (see OverviewDrawing).
    osg::ref_ptr<osg::Node> createOverviewNode(const osgEarth::GeoExtent& extent, const std::string& name);
    osg::ref_ptr<osg::Node> getNetworkRoot();

    // The kinds' factories, registered while the module loads.
    std::map<std::string, PipeCreatorFunc>& pipeCreators = LayerFactories::instance().pipeCreators;
    std::multimap<std::string, PointCreatorFunc>& pointCreators = LayerFactories::instance().pointCreators;
    // The vector sources "OpenLine:" opened, kept open for the life of the control.
    std::map<std::string, osg::ref_ptr<osgEarth::Features::FeatureSource>> featureSources;
    std::map<std::string, osg::ref_ptr<osg::Group>> lineLayers;
    osg::ref_ptr<osg::Node> networkRoot;
    std::vector<osg::ref_ptr<DBPipe>> pipeLayers;
    osg::ref_ptr<PipeHandler> handler;

protected:
    friend class Singleton<CXPipeLineCtrl>;
    CXPipeLineCtrl();

private:
    PipeHandler& ensureHandler();
    void createPipeLayers();
};
