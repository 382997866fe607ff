#pragma once

#include "Selmor/SelmorExport.h"
#include "geo/MapNode.h"

#include <osg/Group>
#include <osg/ref_ptr>
#include <osgViewer/CompositeViewer>
#include <osgViewer/View>

#include <map>
#include <mutex>
#include <string>

// What the host remembers of one utility kind's display: pipes, lids, chambers.
struct PIPEVISIBLETABLE {
    bool pipe = true;
    bool lid = true;
    bool chamber = true;
};

// The host's viewer: a main view (and, when asked for, a second view) over one
// scene. The scene root holds the terrain, the pipe group and the ground models; the
// excavation group hangs under the root only while tools have something in it.
//
// How a view's window is made (an osgViewer window, a pbuffer, a widget's embedded
// window, or none at all) is left to whoever sets up its camera (ViewSetup.h).
class SELMOR_EXPORT CXViewer {
public:
    CXViewer();
    ~CXViewer();
    CXViewer(const CXViewer&) = delete;
    CXViewer& operator=(const CXViewer&) = delete;

    osgViewer::View* getViewer() const { return _mainView.get(); }
    // The second view, or null when the host has none.
    osgViewer::View* GetViceView() const { return _viceView.get(); }
    osgViewer::View* createViceView();
    osgViewer::CompositeViewer* getCompositeViewer() const { return _composite.get(); }

    osg::Group* getRoot() const { return _root.get(); }
    osg::Group* getPipeGroup() const { return _pipeGroup.get(); }
    osg::Group* getTerrain() const { return _terrain.get(); }
    osg::Group* getExcavate() const { return _excavate.get(); }
    osg::Group* GetModels() const { return _models.get(); }
    osg::Group* GetViceModels() const { return _viceModels.get(); }

    // Per-kind visibility, keyed by the kind code ("JS", "WS", ...). Every flag of a
    // kind never set is visible. Safe from any thread.
    void setPipeVisible(const std::string& kind, bool visible);
    void setPipeLidVisible(const std::string& kind, bool visible);
    void setPipeLipVisible(const std::string& kind, bool visible);
    void getPipeVisible(const std::string& kind, PIPEVISIBLETABLE& table) const;

    // One frame. With a graphics context: the whole frame (events, update, cull,
    // draw). Without one: events and update only, so messages, tools and update
    // callbacks run in a process that has no display.
    void frame();
    bool hasGraphicsContext() const;

    // The host's map. Its coordinate system is the world frame of the scene; while it
    // has none, the scene is in the data's own coordinates.
    osg::ref_ptr<osgEarth::MapNode> mapNode = new osgEarth::MapNode;

private:
    osg::ref_ptr<osgViewer::CompositeViewer> _composite;
    osg::ref_ptr<osgViewer::View> _mainView;
    osg::ref_ptr<osgViewer::View> _viceView;
    osg::ref_ptr<osg::Group> _root;
    osg::ref_ptr<osg::Group> _pipeGroup;
    osg::ref_ptr<osg::Group> _terrain;
    osg::ref_ptr<osg::Group> _excavate;
    osg::ref_ptr<osg::Group> _models;
    osg::ref_ptr<osg::Group> _viceModels;

    mutable std::mutex _visibilityMutex;
    std::map<std::string, PIPEVISIBLETABLE> _visibility;
};

SELMOR_EXPORT extern CXViewer* g_pCXviewer;
