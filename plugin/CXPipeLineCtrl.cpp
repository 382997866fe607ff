#include "plugin/CXPipeLineCtrl.h"

#include "geo/GeoExtent.h"
#include "layers/DBPipe.h"
#include "layers/DBPoint.h"
#include "modeling/CXColorVisitor.h"
#include "modeling/LineLayerBuilder.h"
#include "modeling/OverviewDrawing.h"

#include "Selmor/CXViewer.h"
#include "Torvik/CXPlayerManager.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>
#include <thread>

namespace {
// The control is made and registered with the host while the module loads, after the
// kinds' factories and before the commands and the reader-writers.
CXPipeLineCtrl* const g_control = CXPipeLineCtrl::getInstance();
} // namespace

CXPipeLineCtrl::CXPipeLineCtrl() {
    name = ControlName;
    g_playerManager->RegisterCtrl(this);
}

CXPipeLineCtrl::~CXPipeLineCtrl() {
    // When the plug-in is unloaded while the host's viewer lives on, nothing of ours
    // may stay in its scene or its event handlers.
    // Builds still running are cancelled and waited for: no thread may run our code
    // once the module is gone.
    pendingLayers.clear();
    retiring.clear();
    if (!g_pCXviewer)
        return;
    if (handler && g_pCXviewer->getViewer())
        g_pCXviewer->getViewer()->removeEventHandler(handler.get());
    osg::Group* pipes = g_pCXviewer->getPipeGroup();
    for (auto& layer : lineLayers)
        pipes->removeChild(layer.second.get());
    // The colour shader's state carries objects of this module.
    if (pipes->getStateSet() == CXColorVisitor::sharedStateSet())
        pipes->setStateSet(nullptr);
}

PipeHandler& CXPipeLineCtrl::ensureHandler() {
    // A message posted before the host initialises the control is kept, not lost.
    if (!handler)
        handler = new PipeHandler;
    return *handler;
}

void CXPipeLineCtrl::initialize() {
    PipeHandler& pipeHandler = ensureHandler();
    createPipeLayers();
    if (!g_pCXviewer)
        return;
    networkRoot = g_pCXviewer->getPipeGroup();
    osgViewer::View* view = g_pCXviewer->getViewer();
    if (view) {
        auto& handlers = view->getEventHandlers();
        if (std::find(handlers.begin(), handlers.end(), &pipeHandler) == handlers.end())
            view->addEventHandler(&pipeHandler);
    }
    osg::Group* pipes = g_pCXviewer->getPipeGroup();
    pipes->getOrCreateStateSet()->setMode(GL_LIGHT0, osg::StateAttribute::ON);
    // Replaces the pipe group's state set, GL_LIGHT0 mode included, by the shared
    // colour shader.
    CXColorVisitor colour;
    pipes->accept(colour);
}

bool CXPipeLineCtrl::postMessage(std::string message) {
    ensureHandler().postCommand(std::move(message));
    return true;
}

bool CXPipeLineCtrl::postMessageWithData(void* data, std::string message) {
    std::unique_ptr<PipeHandler::PointList> points(static_cast<PipeHandler::PointList*>(data));
    ensureHandler().postCommandWithPoints(std::move(message), std::move(points));
    return true;
}

bool CXPipeLineCtrl::postRemoval(std::string message) {
    ensureHandler().postRemoval(std::move(message));
    return true;
}

bool CXPipeLineCtrl::openLine(std::string name, float depth, osg::Vec4f& color) {
    osg::ref_ptr<const osgEarth::Map> map =
        g_pCXviewer && g_pCXviewer->mapNode ? g_pCXviewer->mapNode->getMap() : nullptr;
    // All of it on a worker: the file may be large, or on a slow disk. The terrain and the
    // map's systems it asks are safe from any thread.
    startLineLayer(name, true, [name, depth, color, map](const std::atomic<bool>& cancelled) {
        LineLayerBuild::Built built;
        std::string why;
        osg::ref_ptr<osgEarth::Features::FeatureSource> source = LineLayerBuilder::openSource(name, &why);
        if (!source) {
            std::fprintf(stderr, "Line layer \"%s\" not opened: %s\n", name.c_str(), why.c_str());
            return built;
        }
        const LineLayerBuilder::FeatureChains features =
            LineLayerBuilder::readFeatures(*source, depth, map.get(), &cancelled);
        if (cancelled.load(std::memory_order_relaxed) ||
            !withinLimit(name, LineLayerBuilder::segmentCount(features)))
            return built;
        built.layer = LineLayerBuilder(1.0f, color).buildFeatures(features, &cancelled);
        built.source = source;
        return built;
    });
    return true;
}

bool CXPipeLineCtrl::openKml(std::string name, std::vector<osg::Vec3d>* points, float radius,
                             float heightOffset, osg::Vec4f& color) {
    const size_t segments = points && points->size() > 1 ? points->size() - 1 : 0;
    if (!withinLimit(name, segments))
        return false;
    auto kept = std::make_shared<const std::vector<osg::Vec3d>>(points ? *points : std::vector<osg::Vec3d>());
    const LineLayerBuilder builder(radius, color);
    startLineLayer(
        name, segments >= SynchronousSegments,
        [builder, kept, heightOffset](const std::atomic<bool>& cancelled) {
            return LineLayerBuild::Built{builder.buildPointLayer(*kept, heightOffset, &cancelled), nullptr};
        });
    return true;
}

bool CXPipeLineCtrl::withinLimit(const std::string& layerName, size_t segments) {
    if (segments <= LineLayerBuilder::MaxSegments)
        return true;
    std::fprintf(stderr, "Line layer \"%s\" refused: %zu segments, more than the %zu one layer may hold\n",
                 layerName.c_str(), segments, LineLayerBuilder::MaxSegments);
    return false;
}

void CXPipeLineCtrl::startLineLayer(const std::string& layerName, bool onWorker, LineLayerBuild::Work work) {
    if (!onWorker) {
        const std::atomic<bool> never{false};
        addLineLayer(layerName, work(never).layer.get());
        return;
    }
    // The latest open of a name wins: an earlier build for it is cancelled; the layer
    // shown under it stays until this one arrives.
    cancelBuild(layerName);
    pendingLayers[layerName] = std::make_unique<LineLayerBuild>(std::move(work));
    reportBuilding();
}

void CXPipeLineCtrl::attachBuiltLayers() {
    retiring.erase(
        std::remove_if(retiring.begin(), retiring.end(),
                       [](const std::unique_ptr<LineLayerBuild>& build) { return build->finished(); }),
        retiring.end());
    for (auto pending = pendingLayers.begin(); pending != pendingLayers.end();) {
        if (!pending->second->finished()) {
            ++pending;
            continue;
        }
        LineLayerBuild::Built built = pending->second->take();
        const bool visible = pending->second->visible;
        const std::string layerName = pending->first;
        pending = pendingLayers.erase(pending);
        if (!built.layer)
            continue;
        if (!visible)
            built.layer->setNodeMask(0u);
        attach(layerName, built.layer.get());
        if (auto* source = dynamic_cast<osgEarth::Features::FeatureSource*>(built.source.get()))
            featureSources[layerName] = source;
    }
    reportBuilding();
}

void CXPipeLineCtrl::reportBuilding() {
    if (pendingLayers.size() == reportedBuilding)
        return;
    reportedBuilding = pendingLayers.size();
    if (g_playerManager)
        g_playerManager->OnCallback(CXPlayerManager::LineLayersBuildingCallback,
                                    std::to_string(reportedBuilding), nullptr);
}

void CXPipeLineCtrl::setLineLayerVisible(const std::string& layerName, bool visible) {
    auto building = pendingLayers.find(layerName);
    if (building != pendingLayers.end())
        building->second->visible = visible;
    auto found = lineLayers.find(layerName);
    if (found != lineLayers.end())
        found->second->setNodeMask(visible ? 1u : 0u);
}

void CXPipeLineCtrl::removeLineLayer(const std::string& layerName) {
    cancelBuild(layerName);
    detach(layerName);
    reportBuilding();
}

void CXPipeLineCtrl::addLineLayer(const std::string& layerName, osg::Group* layer) {
    if (!layer)
        return;
    cancelBuild(layerName);
    attach(layerName, layer);
    reportBuilding();
}

// A name already in use is taken over by the new layer: the earlier one leaves the
// scene and the table, so that one name always reaches exactly one layer.
void CXPipeLineCtrl::attach(const std::string& layerName, osg::Group* layer) {
    detach(layerName);
    if (g_pCXviewer)
        g_pCXviewer->getPipeGroup()->addChild(layer);
    lineLayers[layerName] = layer;
}

void CXPipeLineCtrl::cancelBuild(const std::string& layerName) {
    auto found = pendingLayers.find(layerName);
    if (found == pendingLayers.end())
        return;
    found->second->cancel();
    retiring.push_back(std::move(found->second));
    pendingLayers.erase(found);
}

void CXPipeLineCtrl::detach(const std::string& layerName) {
    auto found = lineLayers.find(layerName);
    if (found == lineLayers.end())
        return;
    osg::ref_ptr<osg::Group> layer = std::move(found->second);
    lineLayers.erase(found);
    if (g_pCXviewer)
        g_pCXviewer->getPipeGroup()->removeChild(layer.get());
    retiring.push_back(
        std::make_unique<LineLayerBuild>([layer = std::move(layer)](const std::atomic<bool>&) mutable {
            layer = nullptr;
            return LineLayerBuild::Built();
        }));
}

void CXPipeLineCtrl::createPipeLayers() {
    // Once only: the paged graph and the layer tools hold on to these layers.
    if (!pipeLayers.empty())
        return;
    // One layer per kind, in key order, each with one category from every point
    // factory of its kind, in the order they registered. Records load on first use.
    for (const auto& [kindWord, createPipe] : pipeCreators) {
        osg::ref_ptr<DBPipe> layer;
        createPipe(layer);
        if (!layer)
            continue;
        auto points = pointCreators.equal_range(kindWord);
        for (auto creator = points.first; creator != points.second; ++creator) {
            osg::ref_ptr<DBPoint> category;
            creator->second(category);
            layer->addPoint(category);
        }
        pipeLayers.push_back(layer);
    }
}

osg::ref_ptr<DBPipe> CXPipeLineCtrl::findPipeLayer(const std::string& layerName) {
    for (auto& layer : pipeLayers)
        if (layer->getLayerName() == layerName)
            return layer;
    return nullptr;
}

namespace {
// Runs job(0) ... job(count - 1) on as many threads as there are cores, this one included.
void runJobs(std::size_t count, const std::function<void(std::size_t)>& job) {
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t index; (index = next.fetch_add(1)) < count;)
            job(index);
    };
    std::vector<std::thread> helpers(std::max(1u, std::thread::hardware_concurrency()) - 1);
    for (std::thread& helper : helpers)
        helper = std::thread([&work] {
            // A read that throws (out of memory) stays unfilled: the tile that needs it
            // reads it again on its own thread and meets the error there.
            try {
                work();
            } catch (const std::exception&) {
            }
        });
    work();
    for (std::thread& helper : helpers)
        helper.join();
}
} // namespace

void CXPipeLineCtrl::loadRecordsOnce() {
    std::call_once(recordsLoaded, [this] {
        // One job per table: a kind's segments, or its points through its categories (the
        // first reads the kind's table, the others select from it). A kind read by extent
        // is read by its tiles; one whose database cannot be reached now is asked again by
        // the next tile.
        runJobs(2 * pipeLayers.size(), [this](std::size_t job) {
            DBPipe& layer = *pipeLayers[job / 2];
            if (layer.reading() != DBPipe::Reading::Whole)
                return;
            if (job % 2 == 0)
                layer.segments();
            else
                for (const osg::ref_ptr<DBPoint>& category : layer.getPointCategories())
                    category->getRecords();
        });
    });
}

osg::Group* CXPipeLineCtrl::createExtentNode(osgEarth::GeoExtent& extent) {
    loadRecordsOnce();
    osg::ref_ptr<osg::Group> tile = new osg::Group;
    for (auto& layer : pipeLayers)
        if (osg::Node* content = layer->buildExtent(extent))
            tile->addChild(content);
    return tile.release();
}

osg::ref_ptr<osg::Node> CXPipeLineCtrl::createOverviewNode(const osgEarth::GeoExtent& extent,
                                                           const std::string& drawingName) {
    double cx = 0.0, cy = 0.0;
    extent.getCentroid(cx, cy);
    OverviewDrawing drawing(osg::Vec3d(cx, cy, 0.0));
    loadRecordsOnce();
    // The longest segments of the kinds read by extent, each kind's read side by side.
    runJobs(pipeLayers.size(), [this](std::size_t job) { pipeLayers[job]->overviewSegments(); });
    for (auto& layer : pipeLayers)
        layer->addOverview(extent, drawing);
    return drawing.build(drawingName);
}

osg::ref_ptr<osg::Node> CXPipeLineCtrl::getNetworkRoot() {
    return networkRoot;
}
