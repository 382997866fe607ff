#pragma once

#include "Selmor/CXViewer.h"
#include "Torvik/CXPluginLoader.h"
#include "answers/ToolAnswers.h"
#include "section/TransectReport.h"

#include <osg/Vec3d>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

class CXControl;
struct ViewSettings;
class CrossSection;
class ScreenCapture;
namespace osgViewer {
class GraphicsWindow;
}

// The host: one viewer over one scene, the plug-in loaded into it, the network paged in
// under the pipe group, tool results printed as they arrive.
class HostApp {
public:
    struct Options {
        std::string pluginPath;
        bool headless = false;  // no window (without one and without `embedded`, nothing is drawn)
        bool offscreen = false; // draw into a pbuffer (for pictures without a window)
        bool embedded = false;  // draw into a surface a window toolkit provides (setSurface)
        int width = 1280;
        int height = 800;
        double groundHeight = 0.0;
        std::string demPath; // an elevation raster for the terrain; flat at groundHeight without one
        std::vector<std::string> imagery; // rasters laid on the ground (later ones over earlier ones)
        // Vector files drawn on the ground, each with its style file (empty: defaults).
        std::vector<std::pair<std::string, std::string>> groundLayers;
        float groundOpacity = 0.35f;
        unsigned pagerThreads = 4;
        bool overview = true;            // the paged graph's coarser levels carry a drawing of the network
        bool wholeKinds = false;         // every kind read whole, even where tiles could ask for their extent
        TransectReport::Options section; // where a "Transect" report's files go
    };

    // What a window does besides the host; called on the frame's thread, from inside the
    // frame whose tool reported.
    class Observer {
    public:
        virtual ~Observer() = default;
        // A tool reported the points a user drew and waits for the rest (a report that
        // ToolAnswers answers). True: the observer asks the user and calls answerReport
        // later; false: the host answers at once with the current settings.
        virtual bool takeReport(const std::string& name, const std::string& payload) = 0;
        // The section of a "Transect" report, computed (its files written as without one).
        virtual void sectionReady(const CrossSection& section) = 0;
    };
    // Where an embedded view draws: a window toolkit's surface, made current around each
    // frame the host runs on its own (a script's, a wait for paging). Frames the toolkit
    // runs while it paints go through paint().
    class Surface {
    public:
        virtual ~Surface() = default;
        // The context is current and `framebuffer` is what the view draws into.
        virtual void beginFrame(unsigned& framebuffer) = 0;
        // The frame is drawn: the toolkit shows it.
        virtual void endFrame() = 0;
    };

    HostApp(const Options& options, std::ostream& out);
    ~HostApp();

    // Loads the plug-in, sets up the view and initialises the plug-in's controls.
    bool start(std::string& error);

    CXViewer& viewer() { return *_viewer; }
    // The control messages go to: the last one the plug-in registered.
    CXControl* control() const;
    // Runs frames; each first delivers the answers to the tools' earlier reports (so does
    // every frame the host runs for mouse events, paging and pictures).
    void frame(int count = 1);
    // The embedded view's window (Options::embedded), to which a toolkit hands its events
    // and size; null otherwise.
    osgViewer::GraphicsWindow* embeddedWindow() const { return _embeddedWindow; }
    void setSurface(Surface* surface) { _surface = surface; }
    // One frame into the surface's framebuffer, its context current (the toolkit paints).
    void paint(unsigned framebuffer);
    // The view's drawing area changed size (pixels).
    void resize(int width, int height);
    void setObserver(Observer* observer) { _observer = observer; }
    // Answers a tool's report with the current settings, delivered at the next frame.
    // False when the payload is malformed (then `problem` says why) or the report is not one
    // this host answers.
    bool answerReport(const std::string& name, const std::string& payload, std::string& problem);
    bool canDraw() const;
    TransectReport::Options& sectionOptions() { return _options.section; }
    float groundOpacity() const { return _options.groundOpacity; }

    // The ground of the next loadNetwork: its flat height (unless the terrain is a DEM) and
    // the imagery and map layers laid on it, as a network's view gives them.
    void setScenery(const ViewSettings& view, const std::string& pipeXmlDir);
    // Reads the paged pipe graph over `extent` ("xmin ymin xmax ymax" in `srs`) and hangs it
    // under the pipe group in place of the one loaded before, with the ground drawn over the
    // same extent. False with a reason.
    bool loadNetwork(const std::string& srs, const std::string& extent, const std::string& baseZ,
                     std::string& error);
    // Runs frames until the pager has nothing left to load or merge (when frames are
    // drawn) and the plug-in has no line layer left to read and build, or until the time
    // runs out. False on time-out.
    bool waitPaging(double seconds);
    // Draws a frame and writes it as a picture. False with a reason.
    bool screenshot(const std::string& file, std::string& error);
    void setCamera(const osg::Vec3d& eye, const osg::Vec3d& centre);

    enum class MouseAction { Left, Right, Move, Drag };
    // What a person's mouse does at a window pixel (from the top left): the pointer moves
    // there, and a click presses and releases its button; a drag holds the left button
    // from where the pointer is to the pixel. The events go through the main view's event
    // queue, and a frame runs so that the active tool and the camera get them.
    void mouse(MouseAction action, double px, double py);
    // The window pixel a world point is seen at through the current camera; false when the
    // point is behind the eye.
    bool windowPixel(const osg::Vec3d& world, double& px, double& py) const;
    // Frames the whole loaded network from above and to the south (see HomeView), sets
    // the level-of-detail scale for its size, and makes that the home position.
    void lookAtNetwork();
    // Back to the home position (what the manipulator's home key does).
    void home();
    // Writes the scene as drawn (loaded tiles as ordinary children), with full precision.
    bool dump(const std::string& file) const;
    // What the loaded tiles hold, and what is shown from the eye; when nothing of a loaded
    // network is shown, why, on `err`.
    // Rows the plug-in left out are counted per layer; each distinct reason a kind could
    // not be read goes to `err`, prefixed "pipeviewer: ".
    void printSummary(std::ostream& out, std::ostream* err = nullptr) const;
    // How many distinct failures the plug-in reported while reading the network.
    std::size_t loadFailures() const;
    // How many imagery and map-layer files the last loadNetwork could not show (each
    // named on standard error with the reason).
    std::size_t groundFailures() const { return _groundFailures; }
    // What the host answers when a tool asks (widths and depths the user chose).
    ToolAnswers& answers() { return _answers; }

private:
    Options _options;
    std::ostream& _out;
    void windowSize(double& width, double& height) const;
    void noteLoadReport(const std::string& name, const std::string& payload);
    // Messages the tools that reported get their answers; not from inside the report, which
    // runs in the tool's own event handling.
    void deliverAnswers();

    std::unique_ptr<CXViewer> _viewer;
    CXPluginLoader _plugin;
    osg::ref_ptr<ScreenCapture> _capture;
    int _callbackListener = 0;
    ToolAnswers _answers;
    std::mutex _answerMutex;
    std::vector<ToolAnswers::Answer> _pendingAnswers;
    bool _hasPbuffer = false;
    osgViewer::GraphicsWindow* _embeddedWindow = nullptr; // owned by the view's cameras
    Surface* _surface = nullptr;
    Observer* _observer = nullptr;
    bool _painting = false;
    bool _networkLoaded = false;
    // How many line layers the plug-in last said it is building.
    std::atomic<unsigned long> _lineLayersBuilding{0};
    osg::ref_ptr<osg::Node> _network;
    // What the plug-in reported while reading the network (from pager threads).
    mutable std::mutex _reportMutex;
    std::set<std::string> _failures;                                    // UTF-8
    std::map<std::string, std::map<std::string, std::string>> _leftOut; // GBK name -> reason -> count
    std::map<std::string, std::string> _reading;                        // GBK layer -> "extent" or "whole"
    double _extent[4] = {0, 0, 0, 0};
    std::chrono::steady_clock::time_point _started;
    double _firstPictureSeconds = -1.0;
    std::size_t _groundFailures = 0;
};
