#pragma once

#include "Torvik/CXControl.h"
#include "geo/FeatureSource.h"
#include "layers/LayerFactories.h"
#include "plugin/LineLayerBuild.h"
#include "plugin/PipeHandler.h"
#include "plugin/Singleton.h"

#include <osg/Group>
#include <osg/Vec3d>
#include <osg/Vec4f>
#include <osg/ref_ptr>

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
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

    // Point lists of fewer segments are built at once; larger ones, and every vector
    // file, on a worker thread, attached under their name at a later event once built
    // (see attachBuiltLayers).
    static constexpr size_t SynchronousSegments = 1000;

    // Reads, places and builds on a worker thread a line layer from the line features of
    // the vector data source at `name`, `depth` below the terrain. A source that does not
    // open, or holds more segments than a layer may (LineLayerBuilder::MaxSegments),
    // gives no layer and a line on standard error.
    bool openLine(std::string name, float depth, osg::Vec4f& color) override;
    // Builds a line layer of tubes along `points` (world coordinates), raised by
    // `heightOffset`. The caller keeps the points. False past the segment limit.
    bool openKml(std::string name, std::vector<osg::Vec3d>* points, float radius, float heightOffset,
                 osg::Vec4f& color) override;

    // Line layers by name: show (node mask 1) or hide (0); detach and forget. Names
    // not present do nothing. A layer still being built under the name is shown or
    // hidden when it arrives; removing cancels it.
    void setLineLayerVisible(const std::string& name, bool visible) override;
    void removeLineLayer(const std::string& name) override;
    // Attaches a line layer under the pipe group and records it under `name`; the
    // layer that had the name, and one still being built for it, give way to it.
    void addLineLayer(const std::string& name, osg::Group* layer);
    // Attaches the layers whose building has finished (on the frame thread).
    void attachBuiltLayers() override;

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
    // The vector sources of the layers "OpenLine:" attached, kept open for the life of the
    // control.
    std::map<std::string, osg::ref_ptr<osgEarth::Features::FeatureSource>> featureSources;
    std::map<std::string, osg::ref_ptr<osg::Group>> lineLayers;
    // Line layers being built, by name: at most one per name, the latest opened.
    std::map<std::string, std::unique_ptr<LineLayerBuild>> pendingLayers;
    // Cancelled builds winding down, and removed layers being released, off the frame
    // thread: a large layer takes longer to free than a frame may last.
    std::vector<std::unique_ptr<LineLayerBuild>> retiring;
    osg::ref_ptr<osg::Node> networkRoot;
    std::vector<osg::ref_ptr<DBPipe>> pipeLayers;
    osg::ref_ptr<PipeHandler> handler;
    std::once_flag recordsLoaded;

protected:
    friend class Singleton<CXPipeLineCtrl>;
    CXPipeLineCtrl();

    // Reads every kind's segments and points the first time a tile asks, the kinds spread
    // over as many threads as the machine has cores, so that the first tiles do not wait
    // for thirty reads one after another. Later calls return at once; a read that failed
    // is tried again by the next tile that needs it, as before.
    void loadRecordsOnce();

private:
    PipeHandler& ensureHandler();
    void createPipeLayers();
    // False, said on standard error, past the segments a layer may hold.
    static bool withinLimit(const std::string& name, size_t segments);
    // Builds at once or on a worker thread.
    void startLineLayer(const std::string& name, bool onWorker, LineLayerBuild::Work work);
    // Tells the host how many line layers are being built, when that changes (see
    // CXPlayerManager::LineLayersBuildingCallback).
    void reportBuilding();
    size_t reportedBuilding = 0;
    void attach(const std::string& name, osg::Group* layer);
    // Cancels the build for `name`, if any, without waiting for it.
    void cancelBuild(const std::string& name);
    // Detaches the layer under `name`, if any, and frees it on a worker thread.
    void detach(const std::string& name);
};
