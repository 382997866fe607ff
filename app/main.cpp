// pipeviewer: the host viewer for the underground pipe network plug-in.
#include "HostApp.h"
#include "ScriptRunner.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

const char* const Usage =
    "usage: pipeviewer [--headless] [--script FILE|-] [--plugin PATH] [--ground H] [--size WxH]\n"
    "  --headless     no window: frames run events and updates only\n"
    "  --script FILE  run the commands of FILE ('-' reads standard input), then exit when headless\n"
    "  --plugin PATH  the plug-in to load (default: libpipenetwork.so beside this program)\n"
    "  --ground H     height of the flat terrain (metres, default 0)\n"
    "  --size WxH     window size (default 1280x800)\n";

std::string programDir(const char* argv0) {
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    std::string path = n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string(argv0);
    std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

} // namespace

int main(int argc, char** argv) {
    HostApp::Options options;
    options.pluginPath = programDir(argv[0]) + "/libpipenetwork.so";
    std::string scriptPath;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--script" && hasValue) {
            scriptPath = argv[++i];
        } else if (arg == "--plugin" && hasValue) {
            options.pluginPath = argv[++i];
        } else if (arg == "--ground" && hasValue) {
            options.groundHeight = std::atof(argv[++i]);
        } else if (arg == "--size" && hasValue) {
            if (std::sscanf(argv[++i], "%dx%d", &options.width, &options.height) != 2 || options.width <= 0 ||
                options.height <= 0) {
                std::cerr << "pipeviewer: bad --size\n" << Usage;
                return 2;
            }
        } else if (arg == "--help" || arg == "-h") {
            std::cout << Usage;
            return 0;
        } else {
            std::cerr << "pipeviewer: unknown or incomplete option " << arg << "\n" << Usage;
            return 2;
        }
    }
    if (!options.headless && !std::getenv("DISPLAY")) {
        std::cerr << "pipeviewer: no display; running headless\n";
        options.headless = true;
    }

    // With a window the database dialog is a real dialog; headless it goes to stderr.
    std::unique_ptr<QCoreApplication> qt;
    if (options.headless)
        qt.reset(new QCoreApplication(argc, argv));
    else
        qt.reset(new QApplication(argc, argv));

    HostApp app(options, std::cout);
    std::string error;
    if (!app.start(error)) {
        std::cerr << "pipeviewer: cannot load the plug-in: " << error << std::endl;
        return 1;
    }

    bool ok = true;
    bool quit = false;
    if (!scriptPath.empty()) {
        ScriptRunner runner(app, std::cout, std::cerr);
        if (scriptPath == "-") {
            ok = runner.run(std::cin);
        } else {
            std::ifstream file(scriptPath);
            if (!file) {
                std::cerr << "pipeviewer: cannot read " << scriptPath << std::endl;
                return 1;
            }
            ok = runner.run(file);
        }
        quit = runner.quitRequested();
    }
    if (app.hasWindow() && !quit)
        app.run();
    return ok ? 0 : 1;
}
