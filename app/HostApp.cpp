#include "HostApp.h"

#include "DemTerrain.h"
#include "GroundImagery.h"
#include "GroundLayers.h"
#include "HomeView.h"
#include "SceneExport.h"
#include "ScreenCapture.h"
#include "TerrainSurface.h"
#include "ViewSettings.h"

#include "Selmor/CXEarthManipulator.h"
#include "Selmor/ViewSetup.h"
#include "Torvik/CXCommandRegistry.h"
#include "Torvik/CXControl.h"
#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"
#include "geo/GeoExtent.h"
#include "text/GbkText.h"

#include "section/CrossSection.h"

#include <osg/State>
#include <osgDB/DatabasePager>
#include <osgDB/ReadFile>
#include <osgDB/WriteFile>
#include <osgGA/EventQueue>
#include <osgGA/StandardManipulator>
#include <osgViewer/GraphicsWindow>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <thread>

namespace {
// The most resident memory the process has had, in MiB (0 where the system does not say).
double peakResidentMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, 6, "VmHWM:") == 0)
            return std::atof(line.c_str() + 6) / 1024.0;
    return 0.0;
}
double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
} // namespace

HostApp::HostApp(const Options& options, std::ostream& out)
    : _options(options), _out(out), _capture(new ScreenCapture), _started(std::chrono::steady_clock::now()) {
    g_playerManager->setTerrain(std::make_shared<FlatTerrain>(options.groundHeight));
    _viewer.reset(new CXViewer);
    _answers.setGround([](double x, double y) { return g_playerManager->getHeight(x, y); });
    _callbackListener = g_playerManager->addCallbackListener([this](const std::string& name,
                                                                    const std::string& payload, void*) {
        if (name == CXPlayerManager::LoadFailureCallback || name == CXPlayerManager::LeftOutCallback ||
            name == CXPlayerManager::ReadingCallback) {
            noteLoadReport(name, payload);
            return;
        }
        if (name == CXPlayerManager::LineLayersBuildingCallback) {
            _lineLayersBuilding = std::strtoul(payload.c_str(), nullptr, 10);
            return;
        }
        _out << "callback\t" << gbkToUtf8(name) << '\t' << gbkToUtf8(payload) << std::endl;
        // Reported from the tool's event handling, on the frame's thread.
        if (name == "Transect") {
            CrossSection section;
            TransectReport::run(payload, _options.section, _out, std::cerr, _observer ? &section : nullptr);
            if (_observer)
                _observer->sectionReady(section);
            return;
        }
        if (_observer && ToolAnswers::answers(name) && _observer->takeReport(name, payload))
            return;
        std::string problem;
        if (!answerReport(name, payload, problem) && !problem.empty())
            std::cerr << "pipeviewer: no answer to " << gbkToUtf8(name) << ": " << problem << std::endl;
    });
}

HostApp::~HostApp() {
#ifdef PN_KEEP_MODULES_TO_EXIT
    // A leak-checked build: the code of every plug-in and driver loaded (ours, osgDB's, Qt's,
    // the GL driver's) stays mapped for the check at exit.
    CXPluginLoader::keepModulesToExit();
#endif
    g_playerManager->removeCallbackListener(_callbackListener);
    // The scene holds nodes of the plug-in's classes, and the pager may still be
    // building tiles with its code: both go before the plug-in does.
    if (osgDB::DatabasePager* pager = _viewer->getViewer()->getDatabasePager())
        pager->cancel();
    _network = nullptr;
    _viewer.reset();
    _plugin.unload();
}

bool HostApp::answerReport(const std::string& name, const std::string& payload, std::string& problem) {
    std::optional<ToolAnswers::Answer> answer = _answers.answer(name, payload, problem);
    if (!answer)
        return false;
    std::lock_guard<std::mutex> lock(_answerMutex);
    _pendingAnswers.push_back(std::move(*answer));
    return true;
}

bool HostApp::start(std::string& error) {
    if (!_options.demPath.empty()) {
        std::shared_ptr<DemTerrain> dem = DemTerrain::open(_options.demPath, _options.groundHeight, error);
        if (!dem)
            return false;
        g_playerManager->setTerrain(dem);
    }
    if (!_plugin.load(_options.pluginPath)) {
        error = "cannot load the plug-in: " + _plugin.error();
        return false;
    }
    osgViewer::View* view = _viewer->getViewer();
    if (_options.embedded)
        _embeddedWindow = ViewSetup::embedded(view, _options.width, _options.height);
    else if (_options.offscreen && std::getenv("DISPLAY"))
        _hasPbuffer = ViewSetup::offscreen(view, _options.width, _options.height);
    if (_options.offscreen && !_hasPbuffer) {
        error = "no display to draw on (run under Xvfb, e.g. xvfb-run -a)";
        return false;
    }
    if (canDraw()) {
        view->getCamera()->setClearColor(osg::Vec4(0.70f, 0.78f, 0.86f, 1.0f));
        view->getCamera()->setFinalDrawCallback(_capture.get());
        // Near objects stay sharp next to far ones: the near plane follows the scene.
        view->getCamera()->setNearFarRatio(0.00005);
    }
    view->setCameraManipulator(new CXEarthManipulator);
    if (osgDB::DatabasePager* pager = view->getDatabasePager())
        pager->setUpThreads(_options.pagerThreads, 1);
    for (CXControl* control : _plugin.controls())
        control->initialize();
    return true;
}

bool HostApp::canDraw() const {
    return _hasPbuffer || _embeddedWindow;
}

CXControl* HostApp::control() const {
    const auto& controls = _plugin.controls();
    return controls.empty() ? nullptr : controls.back();
}

void HostApp::frame(int count) {
    for (int i = 0; i < count; ++i) {
        if (_painting)
            return; // asked from inside a frame (a dialog's own event loop): that frame goes on
        if (_surface) {
            unsigned framebuffer = 0;
            _surface->beginFrame(framebuffer);
            paint(framebuffer);
            _surface->endFrame();
            continue;
        }
        deliverAnswers();
        _viewer->frame();
    }
}

void HostApp::paint(unsigned framebuffer) {
    // A frame is never begun inside another: a dialog a frame opens (the database failure's)
    // runs an event loop of its own, in which the toolkit may ask to paint again.
    if (_painting)
        return;
    if (_embeddedWindow) {
        _embeddedWindow->setDefaultFboId(framebuffer);
        // The toolkit draws with the same context between frames: whatever the view's state
        // believes is set in it is sent again.
        if (osg::State* state = _embeddedWindow->getState()) {
            state->dirtyAllModes();
            state->dirtyAllAttributes();
            state->dirtyAllVertexArrays();
        }
    }
    _painting = true;
    deliverAnswers();
    _viewer->frame();
    _painting = false;
}

void HostApp::resize(int width, int height) {
    if (width <= 0 || height <= 0)
        return;
    _options.width = width;
    _options.height = height;
    ViewSetup::resize(_viewer->getViewer(), width, height);
}

void HostApp::deliverAnswers() {
    std::vector<ToolAnswers::Answer> answers;
    {
        std::lock_guard<std::mutex> lock(_answerMutex);
        answers.swap(_pendingAnswers);
    }
    for (const ToolAnswers::Answer& answer : answers) {
        _out << "answer\t" << gbkToUtf8(answer.tool) << '\t' << gbkToUtf8(answer.text) << std::endl;
        CXCommandRegistry::instance().message(answer.tool, answer.text);
    }
}

void HostApp::setScenery(const ViewSettings& view, const std::string& pipeXmlDir) {
    if (view.hasGround) {
        _options.groundHeight = view.ground;
        if (_options.demPath.empty())
            g_playerManager->setTerrain(std::make_shared<FlatTerrain>(view.ground));
    }
    auto absolute = [&](const std::string& file) {
        return file.empty() || file[0] == '/' ? file : pipeXmlDir + "/" + file;
    };
    _options.imagery.clear();
    for (const std::string& file : view.imagery)
        _options.imagery.push_back(absolute(file));
    _options.groundLayers.clear();
    for (const ViewSettings::GroundLayer& layer : view.groundLayers) {
        const std::string file = absolute(layer.file);
        _options.groundLayers.emplace_back(file, layer.style.empty() ? GroundLayers::styleBeside(file)
                                                                     : absolute(layer.style));
    }
}

bool HostApp::loadNetwork(const std::string& srs, const std::string& extent, const std::string& baseZ,
                          std::string& error) {
    ViewSettings settings;
    settings.extent = extent;
    double bounds[4];
    if (!settings.bounds(bounds[0], bounds[1], bounds[2], bounds[3])) {
        error = "the extent must be four numbers \"xmin ymin xmax ymax\", not \"" + extent + "\"";
        return false;
    }
    std::string why;
    if (!osgEarth::checkExtentBounds(bounds[0], bounds[1], bounds[2], bounds[3], why)) {
        error = "the extent \"" + extent + "\" cannot be used: " + why;
        return false;
    }
    osg::ref_ptr<osgDB::Options> options = new osgDB::Options;
    options->setPluginStringData("srs", srs);
    options->setPluginStringData("extent", extent);
    options->setPluginStringData("baseZ", baseZ);
    options->setPluginStringData("overview", _options.overview ? "on" : "off");
    options->setPluginStringData("extentReading", _options.wholeKinds ? "off" : "on");
    osgDB::ReaderWriter::ReadResult result =
        osgDB::Registry::instance()->readNode("network.pipe_zem", options.get());
    if (!result.getNode()) {
        error = result.message().empty() ? "no reader for \"pipe_zem\" (is the plug-in loaded?)"
                                         : result.message();
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(_reportMutex);
        _failures.clear();
        _leftOut.clear();
    }
    if (_network)
        _viewer->getPipeGroup()->removeChild(_network.get());
    _network = result.getNode();
    _viewer->getPipeGroup()->addChild(_network.get());
    std::copy(bounds, bounds + 4, _extent);
    _viewer->getTerrain()->removeChildren(0, _viewer->getTerrain()->getNumChildren());
    std::vector<std::string> problems;
    const GroundImagery imagery =
        GroundImagery::read(_options.imagery, srs, bounds[0], bounds[1], bounds[2], bounds[3], problems);
    for (const std::string& problem : problems)
        std::cerr << "pipeviewer: imagery: " << problem << std::endl;
    _groundFailures = imagery.failed;
    _viewer->getTerrain()->addChild(buildTerrainSurface(*g_playerManager->getTerrain(), bounds[0], bounds[1],
                                                        bounds[2], bounds[3], _options.groundOpacity,
                                                        &imagery));
    for (const auto& [file, styleFile] : _options.groundLayers) {
        GroundLayers::Style style;
        osg::ref_ptr<osg::Node> layer;
        if (styleFile.empty() || style.read(styleFile, why))
            layer = GroundLayers::build(file, style, srs, *g_playerManager->getTerrain(), bounds[0],
                                        bounds[1], bounds[2], bounds[3], why);
        if (layer)
            _viewer->getTerrain()->addChild(layer);
        else {
            std::cerr << "pipeviewer: ground layer: " << why << std::endl;
            ++_groundFailures;
        }
    }
    _networkLoaded = true;
    lookAtNetwork();
    return true;
}

void HostApp::lookAtNetwork() {
    double cx = (_extent[0] + _extent[2]) / 2, cy = (_extent[1] + _extent[3]) / 2;
    osg::Camera* camera = _viewer->getViewer()->getCamera();
    double fovy = 45.0, aspect = double(_options.width) / _options.height, zNear, zFar;
    if (!camera->getProjectionMatrixAsPerspective(fovy, aspect, zNear, zFar) || !(fovy > 1.0 && aspect > 0.0))
        fovy = 45.0, aspect = double(_options.width) / _options.height;
    HomeView home = HomeView::of(_extent[0], _extent[1], _extent[2], _extent[3],
                                 g_playerManager->getHeight(cx, cy), fovy, aspect);
    camera->setLODScale(static_cast<float>(home.lodScale));
    osgViewer::View* view = _viewer->getViewer();
    if (osgGA::CameraManipulator* manipulator = view->getCameraManipulator())
        manipulator->setHomePosition(home.eye, home.centre, osg::Vec3d(0, 0, 1));
    setCamera(home.eye, home.centre);
}

void HostApp::home() {
    osgGA::CameraManipulator* manipulator = _viewer->getViewer()->getCameraManipulator();
    if (!manipulator)
        return;
    manipulator->home(0.0);
    osg::Vec3d eye, centre, up;
    manipulator->getHomePosition(eye, centre, up);
    setCamera(eye, centre);
}

void HostApp::setCamera(const osg::Vec3d& eye, const osg::Vec3d& centre) {
    osgViewer::View* view = _viewer->getViewer();
    // The near and far planes follow the scene as last drawn, from the old eye; until the
    // next frame computes them anew, a pick from the new eye must not start past what it
    // is aimed at.
    double fovy, aspect, zNear, zFar;
    if (view->getCamera()->getProjectionMatrixAsPerspective(fovy, aspect, zNear, zFar))
        view->getCamera()->setProjectionMatrixAsPerspective(fovy, aspect, 0.1,
                                                            std::max(1e5, 10 * (centre - eye).length()));
    osgGA::CameraManipulator* manipulator = view->getCameraManipulator();
    if (auto* standard = dynamic_cast<osgGA::StandardManipulator*>(manipulator)) {
        // The home position stays where it is: the home key still goes back there.
        standard->setTransformation(eye, centre, osg::Vec3d(0, 0, 1));
        // The camera follows the manipulator at the next update; picks made before it
        // (by events of the same frame) see the new view already.
        view->getCamera()->setViewMatrix(standard->getInverseMatrix());
    } else if (manipulator) {
        manipulator->setHomePosition(eye, centre, osg::Vec3d(0, 0, 1));
        manipulator->home(0.0);
        view->getCamera()->setViewMatrix(manipulator->getInverseMatrix());
    } else {
        view->getCamera()->setViewMatrixAsLookAt(eye, centre, osg::Vec3d(0, 0, 1));
    }
    // The slave cameras that draw the view (and take a window's picks) follow at once too.
    view->updateSlaves();
}

void HostApp::windowSize(double& width, double& height) const {
    // The view draws through its slave cameras, which share one viewport.
    const osg::Camera* drawing = ViewSetup::pass(_viewer->getViewer(), 0);
    const osg::Viewport* viewport = drawing ? drawing->getViewport() : nullptr;
    width = viewport ? viewport->width() : _options.width;
    height = viewport ? viewport->height() : _options.height;
}

bool HostApp::windowPixel(const osg::Vec3d& world, double& px, double& py) const {
    const osg::Camera* camera = _viewer->getViewer()->getCamera();
    osg::Vec4d clip = osg::Vec4d(world, 1.0) * camera->getViewMatrix() * camera->getProjectionMatrix();
    if (clip.w() <= 0.0)
        return false;
    double width, height;
    windowSize(width, height);
    px = (clip.x() / clip.w() + 1.0) * 0.5 * width;
    py = (1.0 - clip.y() / clip.w()) * 0.5 * height;
    return true;
}

void HostApp::mouse(MouseAction action, double px, double py) {
    osgGA::EventQueue* queue = _viewer->getViewer()->getEventQueue();
    osgGA::GUIEventAdapter* state = queue->getCurrentEventState();
    double width, height;
    windowSize(width, height);
    state->setInputRange(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height));
    state->setMouseYOrientation(osgGA::GUIEventAdapter::Y_INCREASING_DOWNWARDS);
    float x = static_cast<float>(px), y = static_cast<float>(py);
    const unsigned left = 1, right = 3;
    switch (action) {
    case MouseAction::Drag:
        queue->mouseButtonPress(state->getX(), state->getY(), left);
        queue->mouseMotion(x, y); // a motion with a button held is a drag
        queue->mouseButtonRelease(x, y, left);
        break;
    case MouseAction::Move:
        queue->mouseMotion(x, y);
        break;
    case MouseAction::Left:
    case MouseAction::Right:
        if (state->getX() != x || state->getY() != y)
            queue->mouseMotion(x, y);
        queue->mouseButtonPress(x, y, action == MouseAction::Left ? left : right);
        queue->mouseButtonRelease(x, y, action == MouseAction::Left ? left : right);
        break;
    }
    frame();
}

bool HostApp::waitPaging(double seconds) {
    osgDB::DatabasePager* pager = _viewer->getViewer()->getDatabasePager();
    auto start = std::chrono::steady_clock::now();
    int quiet = 0;
    // Without drawing nothing is culled, so nothing is ever requested; line layers are
    // attached by the frames' events all the same.
    const bool paging = pager && canDraw();
    while (secondsSince(start) < seconds) {
        frame();
        bool busy = paging && (pager->requiresUpdateSceneGraph() || pager->getRequestsInProgress() ||
                               pager->getFileRequestListSize() > 0 || pager->getDataToMergeListSize() > 0);
        const bool building = _lineLayersBuilding > 0;
        // A frame whose cull requested nothing, with nothing loading or left to merge, would
        // be followed by the very same frame: one more confirms it.
        quiet = busy || building ? 0 : quiet + 1;
        if (quiet >= (paging ? 2 : 1))
            return true;
        if (building && !busy)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        // While tiles load, a frame changes nothing: the camera stands still, and its requests
        // stay current as long as no new frame begins. The next frame is drawn when a tile is
        // ready to merge or compile, or when the pager has run out of work.
        while (busy && !building && !pager->requiresUpdateSceneGraph() &&
               pager->getDataToCompileListSize() == 0 && secondsSince(start) < seconds) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            busy = pager->getRequestsInProgress() || pager->getFileRequestListSize() > 0;
        }
    }
    return false;
}

bool HostApp::screenshot(const std::string& file, std::string& error) {
    if (!canDraw()) {
        error = "nothing to draw on: a picture needs a window or --offscreen";
        return false;
    }
    _capture->arm();
    frame();
    std::string refused;
    osg::ref_ptr<osg::Image> image = _capture->take(refused);
    if (!image || !image->data()) {
        error = refused.empty() ? "the frame could not be read back" : "the picture " + refused;
        return false;
    }
    if (!osgDB::writeImageFile(*image, file)) {
        error = "cannot write " + file;
        return false;
    }
    if (_firstPictureSeconds < 0)
        _firstPictureSeconds = secondsSince(_started);
    return true;
}

bool HostApp::dump(const std::string& file) const {
    osg::ref_ptr<osg::Node> shown = sceneAsShown(_viewer->getRoot());
    return shown && writeScene(*shown, file);
}

void HostApp::printSummary(std::ostream& out, std::ostream* err) const {
    SceneCounts counts = countScene(_viewer->getRoot());
    unsigned segments = 0;
    for (const auto& layer : counts.segmentsPerLayer)
        segments += layer.second;
    out << "network: " << counts.tiles << " tiles loaded, " << segments << " segments and " << counts.points
        << " points shown in " << counts.segmentsPerLayer.size() << " layers\n";
    std::lock_guard<std::mutex> guard(_reportMutex);
    auto leftOut = [&](const std::string& name) {
        auto found = _leftOut.find(name);
        if (found == _leftOut.end())
            return;
        for (const auto& reason : found->second)
            out << " (" << reason.second << " left out: " << gbkToUtf8(reason.first) << ")";
    };
    for (const auto& layer : counts.segmentsPerLayer) {
        out << "  " << gbkToUtf8(layer.first) << ": " << layer.second << " segments";
        leftOut(layer.first);
        out << "\n";
    }
    // Point tables, and layers none of whose segments are shown.
    for (const auto& named : _leftOut)
        if (!counts.segmentsPerLayer.count(named.first))
            for (const auto& reason : named.second)
                out << "  " << gbkToUtf8(named.first) << ": " << reason.second
                    << " rows left out: " << gbkToUtf8(reason.first) << "\n";
    const osg::Camera* camera = _viewer->getViewer()->getCamera();
    osg::Vec3d eye = osg::Matrixd::inverse(camera->getViewMatrix()).getTrans();
    ShownCounts shown = countShown(_viewer->getRoot(), eye, camera->getLODScale());
    out << "in range of the eye: " << shown.tubes << " pipes as tubes, " << shown.lines << " as lines, "
        << shown.dots << " points as dots (level-of-detail scale " << camera->getLODScale() << ")\n";
    std::map<std::string, unsigned> readings;
    for (const auto& kind : _reading)
        ++readings[kind.second];
    if (!readings.empty()) {
        const char* separator = "database reading: ";
        for (const auto& how : readings) {
            out << separator << how.second
                << (how.first == "extent" ? " kinds tile by tile, each tile asking for its own extent"
                                          : " kinds whole before the first tile");
            separator = ", ";
        }
        out << "\n";
    }
    if (_firstPictureSeconds >= 0)
        out << "time to first picture: " << _firstPictureSeconds << " s\n";
    if (const osg::FrameStamp* stamp = _viewer->getCompositeViewer()->getFrameStamp())
        out << "frames run: " << stamp->getFrameNumber() << "\n";
    out << "peak memory: " << peakResidentMiB() << " MiB\n";
    if (err)
        for (const std::string& failure : _failures)
            *err << "pipeviewer: cannot read the network: " << failure << std::endl;
    if (!err || !_networkLoaded || shown.tubes > 0 || shown.lines > 0)
        return;
    double cx = (_extent[0] + _extent[2]) / 2, cy = (_extent[1] + _extent[3]) / 2;
    double away = (eye - osg::Vec3d(cx, cy, g_playerManager->getHeight(cx, cy))).length();
    *err << "pipeviewer: no pipe of the network is shown: ";
    if (counts.tiles == 0)
        *err << "no deepest tile (the tiles that hold the pipes) is in range of the eye, " << away
             << " m from the network's middle (a tile pages in when its distance times the level-of-detail "
                "scale is within its diagonal; the home view frames the whole network)";
    else if (segments == 0)
        *err << "the loaded tiles hold no pipes (is the database empty, or its network outside the extent?)";
    else
        *err << "the pipes of the loaded tiles are beyond the range they are drawn within from the eye";
    *err << std::endl;
}

void HostApp::noteLoadReport(const std::string& name, const std::string& payload) {
    std::lock_guard<std::mutex> guard(_reportMutex);
    if (name == CXPlayerManager::LoadFailureCallback) {
        _failures.insert(gbkToUtf8(payload));
        return;
    }
    if (name == CXPlayerManager::ReadingCallback) {
        const std::size_t tab = payload.find('\t');
        if (tab != std::string::npos)
            _reading[payload.substr(0, tab)] = payload.substr(tab + 1);
        return;
    }
    // "<name>\t<count>\t<reason>": a kind loaded again reports the same rows again.
    std::size_t first = payload.find('\t'), second = payload.find('\t', first + 1);
    if (second != std::string::npos)
        _leftOut[payload.substr(0, first)][payload.substr(second + 1)] =
            payload.substr(first + 1, second - first - 1);
}

std::size_t HostApp::loadFailures() const {
    std::lock_guard<std::mutex> guard(_reportMutex);
    return _failures.size();
}
