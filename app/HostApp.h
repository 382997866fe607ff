#pragma once

#include "Selmor/CXViewer.h"
#include "Torvik/CXPluginLoader.h"

#include <memory>
#include <ostream>
#include <string>

class CXControl;

// The host: one viewer over one scene, the plug-in loaded into it, tool results
// printed as they arrive.
class HostApp {
public:
    struct Options {
        std::string pluginPath;
        bool headless = false;
        int width = 1280;
        int height = 800;
        double groundHeight = 0.0;
    };

    HostApp(const Options& options, std::ostream& out);
    ~HostApp();

    // Loads the plug-in, sets up the view and initialises the plug-in's controls.
    bool start(std::string& error);

    CXViewer& viewer() { return *_viewer; }
    // The control messages go to: the last one the plug-in registered.
    CXControl* control() const;
    void frame(int count = 1);
    // Runs frames until the window is closed (windowed mode only).
    int run();
    bool hasWindow() const { return _hasWindow; }

private:
    Options _options;
    std::ostream& _out;
    std::unique_ptr<CXViewer> _viewer;
    CXPluginLoader _plugin;
    int _callbackListener = 0;
    bool _hasWindow = false;
};
