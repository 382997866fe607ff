// pipeviewer: the host viewer for the underground pipe network plug-in.
#include "GroundLayers.h"
#include "HostApp.h"
#include "RunFolder.h"
#include "ScriptRunner.h"
#include "ViewSettings.h"
#include "window/MainWindow.h"
#include "window/ViewWidget.h"

#include "text/Number.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

// The largest window or picture side taken; the display may allow less (checked when drawing).
constexpr int MaxSide = 16384;

const char* const Usage =
    "usage: pipeviewer [options]\n"
    "Shows the pipe network that pipe.xml points at, beneath the terrain.\n"
    "  --pipe-xml FILE       the network configuration (default: pipe.xml beside this program;\n"
    "                        the plug-in reads a copy in the run's own working folder)\n"
    "  --srs S --extent \"XMIN YMIN XMAX YMAX\" --base Z\n"
    "                        the map's coordinate system, the extent to page and the tile base\n"
    "                        height (default: the \"view\" element of pipe.xml)\n"
    "  --ground H            height of the flat terrain (default: pipe.xml's view, else 0)\n"
    "  --dem FILE            terrain heights from an elevation raster (GeoTIFF, ...) in the map's system\n"
    "  --imagery FILE        an orthophoto or map laid on the ground: any raster GDAL reads, in any\n"
    "                        coordinate system (GeoTIFF, JPEG/PNG with a world file, MBTiles, .vrt);\n"
    "                        repeatable, later ones drawn over earlier ones (default: pipe.xml's)\n"
    "  --ground-layer FILE   a map layer drawn on the ground: roads, kerbs, buildings, parcels from any\n"
    "                        vector file OGR reads, in the style of FILE's .style file beside it\n"
    "                        (colour, width, fill); repeatable (default: pipe.xml's)\n"
    "  --no-network          start with an empty scene\n"
    "  --headless            no window; with --screenshot, draw off-screen (needs a display, e.g. Xvfb)\n"
    "                        (without it, and with a display, the desktop window opens)\n"
    "  --offscreen           no window, but draw off-screen all the same, so tiles page in (for scripts)\n"
    "  --screenshot FILE     once paging has settled, write a picture and exit\n"
    "  --camera EX,EY,EZ,CX,CY,CZ  eye and centre of the view (default: the home view, the whole\n"
    "                        network from above and to the south; space or Home goes back there)\n"
    "  --no-overview         no line drawing of the network on the coarser tiles (seen from afar)\n"
    "  --whole-kinds         read every kind whole before the first tile, even where the database\n"
    "                        lets each tile ask for its own extent (see pn_import)\n"
    "  --size WxH            window or picture size (default 1280x800, at most 16384 a side)\n"
    "  --wait SECONDS        the longest wait for paging (default 120)\n"
    "  --script FILE         run the commands of FILE ('-' reads standard input) instead\n"
    "  --plugin PATH         the plug-in to load (default: libpipenetwork.so beside this program)\n"
    "A cross-section line a tool reports (\"Transect\") is printed as a table and written to section.csv,\n"
    ".svg and .png in the directory this program started in (a script's section-out PREFIX changes\n"
    "that); the clearances checked are those of clearance.txt beside this program.\n";

std::string programDir() {
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    std::string path = n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string(".");
    std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string currentDir() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string(".");
}

std::string absolute(const std::string& path, const std::string& base) {
    return path.empty() || path[0] == '/' ? path : base + "/" + path;
}

// "a,b,c,..." as exactly `count` numbers.
bool parseList(const std::string& text, double* values, int count) {
    std::istringstream in(text);
    std::string field;
    int n = 0;
    while (std::getline(in, field, ','))
        if (n == count || !parseDecimal(field, values[n++]))
            return false;
    return n == count;
}

// Shows the network pipe.xml points at (in the window, when there is one), from --camera
// when given; 0, or the exit status of the failure (said on standard error).
int showNetwork(HostApp& app, MainWindow* window, const ViewSettings& settings, const std::string& pipeXml,
                const std::string& camera) {
    if (settings.srs.empty() || settings.extent.empty()) {
        std::cerr << "pipeviewer: pipe.xml has no view (srs, extent): give --srs and --extent\n";
        return 1;
    }
    std::string error;
    if (window ? !window->showNetwork(settings, pipeXml, error)
               : !app.loadNetwork(settings.srs, settings.extent, settings.baseZ, error)) {
        std::cerr << "pipeviewer: " << error << std::endl;
        return 1;
    }
    double v[6];
    if (!camera.empty()) {
        if (!parseList(camera, v, 6)) {
            std::cerr << "pipeviewer: bad --camera\n" << Usage;
            return 2;
        }
        app.setCamera(osg::Vec3d(v[0], v[1], v[2]), osg::Vec3d(v[3], v[4], v[5]));
    }
    return 0;
}

bool runScript(ScriptRunner& runner, const std::string& scriptPath, const std::string& startDir) {
    if (scriptPath == "-")
        return runner.run(std::cin);
    std::ifstream file(absolute(scriptPath, startDir));
    if (!file) {
        std::cerr << "pipeviewer: cannot read " << scriptPath << std::endl;
        return false;
    }
    return runner.run(file);
}

// The desktop window: the network shown at its home view (or from --camera), a script run
// in it once it is up; until the window is closed, or the script quits.
int runWindow(HostApp& app, RunFolder& folder, const ViewSettings& settings, const std::string& pipeXml,
              const std::string& camera, const std::string& scriptPath, const std::string& startDir) {
    MainWindow window(app, folder);
    window.show();
    // The view's drawing context comes with its first showing.
    for (int i = 0; i < 200 && !window.view()->isValid(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (!pipeXml.empty() && scriptPath.empty())
        if (int failed = showNetwork(app, &window, settings, pipeXml, camera))
            return failed;
    int status = 0;
    if (!scriptPath.empty())
        QTimer::singleShot(0, &window, [&] {
            ScriptRunner runner(app, std::cout, std::cerr, startDir);
            if (!runScript(runner, scriptPath, startDir))
                status = 1;
            if (runner.quitRequested())
                window.close();
        });
    QApplication::exec();
    return status;
}

} // namespace

int main(int argc, char** argv) {
    HostApp::Options options;
    std::string bin = programDir();
    std::string startDir = currentDir();
    options.pluginPath = bin + "/libpipenetwork.so";
    options.section.prefix = startDir + "/section";
    options.section.clearanceFile = bin + "/clearance.txt";
    std::string scriptPath, pipeXml, screenshot, camera;
    ViewSettings cli;
    bool noNetwork = false, groundGiven = false;
    double wait = 120.0;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--offscreen") {
            options.headless = options.offscreen = true;
        } else if (arg == "--no-overview") {
            options.overview = false;
        } else if (arg == "--whole-kinds") {
            options.wholeKinds = true;
        } else if (arg == "--no-network") {
            noNetwork = true;
        } else if (hasValue && arg == "--script") {
            scriptPath = argv[++i];
        } else if (hasValue && arg == "--plugin") {
            options.pluginPath = absolute(argv[++i], startDir);
        } else if (hasValue && arg == "--pipe-xml") {
            pipeXml = absolute(argv[++i], startDir);
        } else if (hasValue && arg == "--srs") {
            cli.srs = argv[++i];
        } else if (hasValue && arg == "--extent") {
            cli.extent = argv[++i];
        } else if (hasValue && arg == "--base") {
            cli.baseZ = argv[++i];
        } else if (hasValue && arg == "--ground") {
            groundGiven = true;
            if (!parseDecimal(argv[++i], options.groundHeight)) {
                std::cerr << "pipeviewer: bad --ground\n" << Usage;
                return 2;
            }
        } else if (hasValue && arg == "--dem") {
            options.demPath = absolute(argv[++i], startDir);
        } else if (hasValue && arg == "--imagery") {
            options.imagery.push_back(absolute(argv[++i], startDir));
        } else if (hasValue && arg == "--ground-layer") {
            const std::string file = absolute(argv[++i], startDir);
            options.groundLayers.emplace_back(file, GroundLayers::styleBeside(file));
        } else if (hasValue && arg == "--screenshot") {
            screenshot = absolute(argv[++i], startDir);
        } else if (hasValue && arg == "--camera") {
            camera = argv[++i];
        } else if (hasValue && arg == "--wait") {
            if (!parseDecimal(argv[++i], wait)) {
                std::cerr << "pipeviewer: bad --wait\n" << Usage;
                return 2;
            }
        } else if (hasValue && arg == "--size") {
            std::string size = argv[++i];
            std::string::size_type cross = size.find('x');
            if (cross == std::string::npos || !parseWhole(size.substr(0, cross), options.width) ||
                !parseWhole(size.substr(cross + 1), options.height) || options.width <= 0 ||
                options.height <= 0 || options.width > MaxSide || options.height > MaxSide) {
                std::cerr << "pipeviewer: bad --size " << size << " (WxH, 1 to " << MaxSide
                          << " pixels a side)\n"
                          << Usage;
                return 2;
            }
        } else if (arg == "--help" || arg == "-h") {
            const ToolAnswers::Settings asked;
            std::cout << Usage << "When a tool asks, the host answers with a width of " << asked.width
                      << " m (trench, tunnel), a depth of " << asked.depth
                      << " m (trench, pit, top of a tunnel)\nand a tunnel height of " << asked.height
                      << " m; a script sets them with: answer-with WIDTH DEPTH HEIGHT\n";
            return 0;
        } else {
            std::cerr << "pipeviewer: unknown or incomplete option " << arg << "\n" << Usage;
            return 2;
        }
    }
    if (!options.headless && !std::getenv("DISPLAY")) {
        if (screenshot.empty())
            std::cerr << "pipeviewer: no display; running headless\n";
        options.headless = true;
    }
    options.offscreen = options.offscreen || (options.headless && !screenshot.empty());

    // The program's relative paths (pipe.xml, ..\model\...) are found from a working folder
    // of this run's own, with the models and textures beside the program's folder linked in.
    std::string error;
    RunFolder folder;
    if (!folder.create(bin, error)) {
        std::cerr << "pipeviewer: " << error << std::endl;
        return 1;
    }
    if (pipeXml.empty() && access((bin + "/pipe.xml").c_str(), F_OK) == 0)
        pipeXml = bin + "/pipe.xml";
    if (!pipeXml.empty() && !folder.usePipeXml(pipeXml, error)) {
        std::cerr << "pipeviewer: " << error << std::endl;
        return 1;
    }
    if (chdir(folder.workDir().c_str()) != 0) {
        std::cerr << "pipeviewer: cannot enter " << folder.workDir() << std::endl;
        return 1;
    }

    // A script or an empty start needs no view; they still take pipe.xml's ground.
    ViewSettings settings;
    bool haveSettings = settings.read("pipe.xml", error) || noNetwork || !scriptPath.empty();
    if (!haveSettings && cli.extent.empty()) {
        std::cerr << "pipeviewer: " << error
                  << " (generate the sample with pn_make_sample, or give --pipe-xml)\n";
        return 1;
    }
    if (!cli.srs.empty())
        settings.srs = cli.srs;
    if (!cli.extent.empty())
        settings.extent = cli.extent;
    if (!cli.baseZ.empty())
        settings.baseZ = cli.baseZ;
    if (!groundGiven && settings.hasGround)
        options.groundHeight = settings.ground;
    const std::string pipeXmlDir = pipeXml.substr(0, pipeXml.rfind('/'));
    if (options.imagery.empty())
        for (const std::string& file : settings.imagery)
            options.imagery.push_back(absolute(file, pipeXmlDir));
    if (options.groundLayers.empty())
        for (const ViewSettings::GroundLayer& layer : settings.groundLayers) {
            const std::string file = absolute(layer.file, pipeXmlDir);
            options.groundLayers.emplace_back(file, layer.style.empty() ? GroundLayers::styleBeside(file)
                                                                        : absolute(layer.style, pipeXmlDir));
        }
    if (settings.baseZ.empty())
        settings.baseZ = formatDecimal(options.groundHeight);

    // With a window the database dialog is a real dialog; headless it goes to stderr. Headless,
    // Qt draws no window but still has its fonts, for the cross-section's picture.
    std::unique_ptr<QCoreApplication> qt;
    if (options.headless) {
        if (!std::getenv("QT_QPA_PLATFORM"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        // Qt wants a private runtime folder and warns without one: the run's own (mode 0700).
        if (!std::getenv("XDG_RUNTIME_DIR"))
            setenv("XDG_RUNTIME_DIR", folder.workDir().substr(0, folder.workDir().rfind('/')).c_str(), 1);
        qt.reset(new QGuiApplication(argc, argv));
    } else {
        qt.reset(new QApplication(argc, argv));
        // The desktop window: the view is drawn into its widget.
        options.embedded = true;
    }
    QCoreApplication::setOrganizationName(QStringLiteral("pipeviewer"));
    QCoreApplication::setApplicationName(QStringLiteral("pipeviewer"));

    HostApp app(options, std::cout);
    if (!app.start(error)) {
        std::cerr << "pipeviewer: " << error << std::endl;
        return 1;
    }
    if (!options.headless)
        return runWindow(app, folder, settings, noNetwork ? std::string() : pipeXml, camera, scriptPath,
                         startDir);

    if (!scriptPath.empty()) {
        ScriptRunner runner(app, std::cout, std::cerr, startDir);
        return runScript(runner, scriptPath, startDir) ? 0 : 1;
    }

    if (!noNetwork)
        if (int failed = showNetwork(app, nullptr, settings, pipeXml, camera))
            return failed;
    if (!app.waitPaging(wait))
        std::cerr << "pipeviewer: paging had not settled after " << wait << " s\n";
    int status = 0;
    if (!screenshot.empty()) {
        if (app.screenshot(screenshot, error))
            std::cout << "picture: " << screenshot << "\n";
        else {
            std::cerr << "pipeviewer: " << error << std::endl;
            status = 1;
        }
    }
    app.printSummary(std::cout, &std::cerr);
    // A network that could not be read (or only in part) is no success, nor is ground imagery
    // or a map layer that could not be shown.
    if ((app.loadFailures() > 0 || app.groundFailures() > 0) && !noNetwork)
        status = 1;
    // Everything the run was for is written: the scene, the pager's threads, the plug-in and Qt
    // need no orderly teardown, which takes a tenth of a large network's run. Only the run's
    // folder goes.
    std::cout.flush();
    std::cerr.flush();
    folder.remove();
    std::fflush(nullptr);
    std::_Exit(status);
}
