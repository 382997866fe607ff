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
#include <memory>

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
    if (!g_pCXviewer)
        return;
    if (handler && g_pCXviewer->getViewer())
        g_pCXviewer->getViewer()->removeEventHandler(handler.get());
    for (auto& layer : lineLayers)
        g_pCXviewer->getPipeGroup()->removeChild(layer.second.get());
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
    osg::ref_ptr<osgEarth::Features::FeatureSource> source = LineLayerBuilder::openSource(name);
    if (!source)
        return false;
    featureSources[name] = source;
    const osgEarth::Map* map = g_pCXviewer && g_pCXviewer->mapNode ? g_pCXviewer->mapNode->getMap() : nullptr;
    addLineLayer(name, LineLayerBuilder(1.0f, color).buildFeatureLayer(*source, depth, map).get());
    return true;
}

bool CXPipeLineCtrl::openKml(std::string name, std::vector<osg::Vec3d>* points, float radius,
                             float heightOffset, osg::Vec4f& color) {
    const std::vector<osg::Vec3d> none;
    addLineLayer(
        name, LineLayerBuilder(radius, color).buildPointLayer(points ? *points : none, heightOffset).get());
    return true;
}

void CXPipeLineCtrl::setLineLayerVisible(const std::string& layerName, bool visible) {
    auto found = lineLayers.find(layerName);
    if (found != lineLayers.end())
        found->second->setNodeMask(visible ? 1u : 0u);
}

void CXPipeLineCtrl::removeLineLayer(const std::string& layerName) {
    auto found = lineLayers.find(layerName);
    if (found == lineLayers.end())
        return;
    if (g_pCXviewer)
        g_pCXviewer->getPipeGroup()->removeChild(found->second.get());
    lineLayers.erase(found);
}

// A name already in use is taken over by the new layer: the earlier one leaves the
// scene and the table, so that one name always reaches exactly one layer.
void CXPipeLineCtrl::addLineLayer(const std::string& layerName, osg::Group* layer) {
    if (!layer)
        return;
    removeLineLayer(layerName);
    if (g_pCXviewer)
        g_pCXviewer->getPipeGroup()->addChild(layer);
    lineLayers[layerName] = layer;
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

osg::Group* CXPipeLineCtrl::createExtentNode(osgEarth::GeoExtent& extent) {
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
    for (auto& layer : pipeLayers)
        layer->addOverview(extent, drawing);
    return drawing.build(drawingName);
}

osg::ref_ptr<osg::Node> CXPipeLineCtrl::getNetworkRoot() {
    return networkRoot;
}
