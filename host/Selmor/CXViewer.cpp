#include "Selmor/CXViewer.h"

#include "Selmor/CXCommandRouter.h"
#include "Selmor/ViewSetup.h"

#include <osg/DisplaySettings>
#include <osgGA/EventQueue>

CXViewer* g_pCXviewer = nullptr;

CXViewer::CXViewer()
    : _composite(new osgViewer::CompositeViewer), _mainView(new osgViewer::View), _root(new osg::Group),
      _pipeGroup(new osg::Group), _terrain(new osg::Group), _excavate(new osg::Group),
      _models(new osg::Group), _viceModels(new osg::Group) {
    // Every drawable, buffer and state keeps a slot per graphics context the process may
    // have, 32 unless told (several hundred bytes a drawable, a tenth of a city's tiles). The
    // host draws on one; OSG raises the count itself when a further context is made.
    osg::DisplaySettings::instance()->setMaxNumberOfGraphicsContexts(1);
    _root->setName("root");
    _pipeGroup->setName("pipes");
    _terrain->setName("terrain");
    _excavate->setName("excavation");
    _models->setName("models");
    _viceModels->setName("vice models");
    _root->addChild(_terrain);
    _root->addChild(_pipeGroup);
    _root->addChild(_models);
    // The host's own groups are drawn by the scene pass, never searched for hole masks.
    for (osg::Group* part : {_terrain.get(), _pipeGroup.get(), _models.get()})
        part->setNodeMask(~ViewSetup::HoleMaskBit);

    _composite->setThreadingModel(osgViewer::ViewerBase::SingleThreaded);
    _mainView->setSceneData(_root);
    ViewSetup::passes(_mainView.get(), _terrain.get());
    // The active tool sees every event of the main view before the manipulator does.
    _mainView->addEventHandler(new CXCommandRouter);
    _composite->addView(_mainView);
    g_pCXviewer = this;
}

CXViewer::~CXViewer() {
    if (g_pCXviewer == this)
        g_pCXviewer = nullptr;
}

osgViewer::View* CXViewer::createViceView() {
    if (!_viceView) {
        _viceView = new osgViewer::View;
        _viceView->setSceneData(_viceModels);
    }
    return _viceView.get();
}

void CXViewer::setPipeVisible(const std::string& kind, bool visible) {
    std::lock_guard<std::mutex> lock(_visibilityMutex);
    _visibility[kind].pipe = visible;
}

void CXViewer::setPipeLidVisible(const std::string& kind, bool visible) {
    std::lock_guard<std::mutex> lock(_visibilityMutex);
    _visibility[kind].lid = visible;
}

void CXViewer::setPipeLipVisible(const std::string& kind, bool visible) {
    std::lock_guard<std::mutex> lock(_visibilityMutex);
    _visibility[kind].chamber = visible;
}

void CXViewer::getPipeVisible(const std::string& kind, PIPEVISIBLETABLE& table) const {
    std::lock_guard<std::mutex> lock(_visibilityMutex);
    auto found = _visibility.find(kind);
    table = found != _visibility.end() ? found->second : PIPEVISIBLETABLE();
}

bool CXViewer::hasGraphicsContext() const {
    osgViewer::ViewerBase::Contexts contexts;
    _composite->getContexts(contexts);
    return !contexts.empty();
}

void CXViewer::frame() {
    if (hasGraphicsContext()) {
        _composite->frame();
        return;
    }
    // No display: keep time, events and update running without trying to open a
    // window. The composite viewer only collects events from windows, so the views'
    // own queues are delivered here, a frame event included, as a window would get them.
    _composite->advance();
    double now = _composite->getFrameStamp()->getReferenceTime();
    std::vector<osg::ref_ptr<osgViewer::View>> views;
    for (unsigned i = 0; i < _composite->getNumViews(); ++i)
        views.push_back(_composite->getView(i));
    for (auto& view : views) {
        osgGA::EventQueue::Events events;
        view->getEventQueue()->frame(now);
        view->getEventQueue()->takeEvents(events);
        for (auto& event : events) {
            osgGA::GUIEventAdapter* ea = event->asGUIEventAdapter();
            if (!ea)
                continue;
            ea->setGraphicsContext(nullptr);
            // Copied: a handler may add or remove handlers of the view.
            osgViewer::View::EventHandlers handlers = view->getEventHandlers();
            for (auto& handler : handlers)
                if (auto* gui = dynamic_cast<osgGA::GUIEventHandler*>(handler.get()))
                    gui->handle(*ea, *view);
            if (view->getCameraManipulator())
                view->getCameraManipulator()->handle(*ea, *view);
        }
    }
    _composite->updateTraversal();
}
