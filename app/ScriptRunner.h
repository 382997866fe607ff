#pragma once

#include <istream>
#include <ostream>
#include <string>

class HostApp;

// Drives the host from a script: one command a line, '#' starts a comment, text in
// UTF-8 (converted to GBK for the plug-in). Commands:
//   post MESSAGE | remove MESSAGE | kml MESSAGE x,y,z;x,y,z;...
//   activate NAME | deactivate | message NAME TEXT
//   frame [N] | dump FILE | quit
//   load XMIN YMIN XMAX YMAX BASEZ SRS | wait-paging [SECONDS] | screenshot FILE
//   camera EX EY EZ CX CY CZ | summary | section-out PREFIX | answer-with WIDTH DEPTH HEIGHT
//   mouse left|right|move|drag X Y Z (a world point) | mouse left|right|move|drag PX PY (a pixel)
// Relative file names are taken from `baseDir` (the directory the user started in).
class ScriptRunner {
public:
    ScriptRunner(HostApp& app, std::ostream& out, std::ostream& err, std::string baseDir = std::string());

    // Runs every line; false when a line failed (the others still run).
    bool run(std::istream& script);
    // One line; false with a message on `err` when it cannot be carried out.
    bool execute(const std::string& line);
    bool quitRequested() const { return _quit; }

private:
    HostApp& _app;
    std::ostream& _out;
    std::ostream& _err;
    std::string resolve(const std::string& path) const;

    std::string _baseDir;
    int _lineNumber = 0;
    bool _quit = false;
};
