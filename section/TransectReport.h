#pragma once

#include <ostream>
#include <string>
#include <vector>

struct NetworkPipe;

// What the host does with a "Transect" report ("ax,ay,bx,by", map coordinates, which are
// the world's: the pipes stand at the database's x and y): reads the network, cuts it along
// the line, prints the table and writes PREFIX.csv, PREFIX.svg and PREFIX.png. Runs on the
// thread that calls it (the frame's), holding the database while it reads.
class CrossSection;

class TransectReport {
public:
    struct Options {
        std::string prefix = "section"; // the files' path without the extension
        std::string clearanceFile;      // the clearance rules; the defaults without one
        int width = 640, height = 360;  // of the pictures
    };

    // False, with the reasons on `err`, when the payload is not four numbers or a file
    // could not be written; the table goes to `out` whenever the line could be read, and
    // the section to `computed` when given.
    static bool run(const std::string& payload, const Options& options, std::ostream& out, std::ostream& err,
                    CrossSection* computed = nullptr);

    // Every segment of the network pipe.xml names, read again only when the database file
    // (its path, size or time) has changed since the last complete read; call from one
    // thread. A kind that could not be read is described in `problems`.
    static const std::vector<NetworkPipe>& network(std::string& problems);
};
