#include "ScriptRunner.h"

#include "HostApp.h"

#include "Torvik/CXCommandRegistry.h"
#include "Torvik/CXControl.h"
#include "text/GbkText.h"
#include "text/Number.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <sstream>
#include <vector>

namespace {

std::string trim(const std::string& text) {
    const char* blanks = " \t\r\n";
    std::string::size_type first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Splits off the first word of `text`; `rest` gets what follows, without the blanks between.
std::string firstWord(const std::string& text, std::string& rest) {
    std::string::size_type end = text.find_first_of(" \t");
    if (end == std::string::npos) {
        rest.clear();
        return text;
    }
    rest = trim(text.substr(end));
    return text.substr(0, end);
}

// "x,y,z;x,y,z;..." into points; false on a malformed point.
bool parsePoints(const std::string& text, std::vector<osg::Vec3d>& points) {
    std::stringstream list(text);
    std::string item;
    while (std::getline(list, item, ';')) {
        item = trim(item);
        if (item.empty())
            continue;
        std::stringstream coords(item);
        std::string value;
        double xyz[3];
        int n = 0;
        while (std::getline(coords, value, ',')) {
            if (n == 3 || !parseDecimal(value, xyz[n++]))
                return false;
        }
        if (n != 3)
            return false;
        points.emplace_back(xyz[0], xyz[1], xyz[2]);
    }
    return true;
}

} // namespace

ScriptRunner::ScriptRunner(HostApp& app, std::ostream& out, std::ostream& err, std::string baseDir)
    : _app(app), _out(out), _err(err), _baseDir(std::move(baseDir)) {}

std::string ScriptRunner::resolve(const std::string& path) const {
    if (path.empty() || path[0] == '/' || _baseDir.empty())
        return path;
    return _baseDir + "/" + path;
}

bool ScriptRunner::run(std::istream& script) {
    bool ok = true;
    std::string line;
    while (!_quit && std::getline(script, line)) {
        ++_lineNumber;
        if (!execute(line))
            ok = false;
    }
    return ok;
}

bool ScriptRunner::execute(const std::string& rawLine) {
    std::string line = trim(rawLine);
    if (line.empty() || line[0] == '#')
        return true;
    std::string args;
    std::string command = firstWord(line, args);
    auto fail = [&](const std::string& why) {
        _err << "script line " << _lineNumber << ": " << why << ": " << line << std::endl;
        return false;
    };

    CXControl* control = _app.control();
    if (command == "post" || command == "remove" || command == "kml") {
        if (!control)
            return fail("the plug-in registered no control");
        if (command == "post")
            return control->postMessage(utf8ToGbk(args)), true;
        if (command == "remove")
            return control->postRemoval(utf8ToGbk(args)), true;
        std::string points;
        std::string message = firstWord(args, points);
        auto list = std::make_unique<std::vector<osg::Vec3d>>();
        if (message.empty() || !parsePoints(points, *list))
            return fail("expected: kml MESSAGE x,y,z;x,y,z;...");
        control->postMessageWithData(list.release(), utf8ToGbk(message));
        return true;
    }
    if (command == "activate") {
        if (!CXCommandRegistry::instance().activate(utf8ToGbk(args)))
            return fail("no such command");
        return true;
    }
    if (command == "deactivate") {
        CXCommandRegistry::instance().deactivate();
        return true;
    }
    if (command == "message") {
        std::string text;
        std::string name = firstWord(args, text);
        if (!CXCommandRegistry::instance().message(utf8ToGbk(name), utf8ToGbk(text)))
            return fail("no such command");
        return true;
    }
    if (command == "frame") {
        int count = 1;
        if ((!args.empty() && !parseWhole(args, count)) || count < 0)
            return fail("expected: frame [N], N a whole number not below 0");
        _app.frame(count);
        return true;
    }
    if (command == "dump") {
        if (args.empty())
            return fail("expected: dump FILE");
        if (!_app.dump(resolve(args)))
            return fail("cannot write the scene");
        return true;
    }
    if (command == "load") {
        // load XMIN YMIN XMAX YMAX BASEZ SRS (the SRS last: a PROJ string has blanks)
        std::istringstream in(args);
        std::string bounds[4], base, srs;
        in >> bounds[0] >> bounds[1] >> bounds[2] >> bounds[3] >> base;
        std::getline(in, srs);
        srs = trim(srs);
        if (srs.empty())
            return fail("expected: load XMIN YMIN XMAX YMAX BASEZ SRS");
        std::string error;
        if (!_app.loadNetwork(srs, bounds[0] + " " + bounds[1] + " " + bounds[2] + " " + bounds[3], base,
                              error))
            return fail(error);
        return true;
    }
    if (command == "wait-paging") {
        double seconds = 60.0;
        if (!args.empty() && !parseDecimal(args, seconds))
            return fail("expected: wait-paging [SECONDS]");
        if (!_app.waitPaging(seconds))
            return fail("paging did not settle in time");
        return true;
    }
    if (command == "screenshot") {
        std::string error;
        if (args.empty())
            return fail("expected: screenshot FILE");
        if (!_app.screenshot(resolve(args), error))
            return fail(error);
        return true;
    }
    if (command == "camera") {
        std::istringstream in(args);
        double v[6];
        std::string word;
        for (double& value : v)
            if (!(in >> word) || !parseDecimal(word, value))
                return fail("expected: camera EYE_X EYE_Y EYE_Z CENTRE_X CENTRE_Y CENTRE_Z");
        _app.setCamera(osg::Vec3d(v[0], v[1], v[2]), osg::Vec3d(v[3], v[4], v[5]));
        return true;
    }
    if (command == "home") {
        _app.home();
        return true;
    }
    if (command == "mouse") {
        // mouse left|right|move|drag X Y Z (a world point) or PX PY (a window pixel)
        std::istringstream in(args);
        std::string action;
        std::vector<double> values;
        in >> action;
        for (std::string word; in >> word;) {
            double value = 0.0;
            if (!parseDecimal(word, value))
                return fail("expected numbers: mouse left|right|move|drag X Y Z or PX PY");
            values.push_back(value);
        }
        static const std::pair<const char*, HostApp::MouseAction> actions[] = {
            {"left", HostApp::MouseAction::Left},
            {"right", HostApp::MouseAction::Right},
            {"move", HostApp::MouseAction::Move},
            {"drag", HostApp::MouseAction::Drag}};
        const auto* found = std::find_if(std::begin(actions), std::end(actions),
                                         [&](const auto& known) { return action == known.first; });
        if (found == std::end(actions) || (values.size() != 2 && values.size() != 3))
            return fail("expected: mouse left|right|move|drag X Y Z or PX PY");
        double px = values[0], py = values[1];
        if (values.size() == 3 && !_app.windowPixel(osg::Vec3d(values[0], values[1], values[2]), px, py))
            return fail("the point is behind the eye");
        _app.mouse(found->second, px, py);
        return true;
    }
    if (command == "section-out") {
        if (args.empty())
            return fail("expected: section-out PREFIX");
        _app.sectionOptions().prefix = resolve(args);
        return true;
    }
    if (command == "answer-with") {
        // answer-with WIDTH DEPTH HEIGHT: what the host answers when a tool asks
        std::istringstream in(args);
        double v[3];
        std::string word, extra;
        for (double& value : v)
            if (!(in >> word) || !parseDecimal(word, value))
                return fail("expected: answer-with WIDTH DEPTH HEIGHT");
        if (in >> extra || !_app.answers().setSettings({v[0], v[1], v[2]}))
            return fail("expected: answer-with WIDTH DEPTH HEIGHT, three positive numbers");
        return true;
    }
    if (command == "summary") {
        _app.printSummary(_out, &_err);
        return true;
    }
    if (command == "quit") {
        _quit = true;
        return true;
    }
    return fail("unknown command");
}
