#pragma once

#include <string>
#include <vector>

// A straight piece of pipe between two surveyed points as the cross-section needs it: its
// kind, survey numbers, material and section size (GBK, as in the database), and where
// its ends lie (map coordinates, burial depths in metres).
struct NetworkPipe {
    int kind = 0; // index into UtilityKinds
    std::string gid;
    std::string startNumber;
    std::string endNumber;
    std::string material;
    std::string sectionSize;
    double startX = 0.0, startY = 0.0, startDepth = 0.0;
    double endX = 0.0, endY = 0.0, endDepth = 0.0;

    // Every segment of the fifteen kinds from the network database that pipe.xml in the
    // working directory names, through the loaders the plug-in reads them with. A kind that
    // cannot be read adds nothing; its reason (GBK) is appended to `problems`, one a line.
    // False when no kind could be read at all.
    static bool readAll(std::vector<NetworkPipe>& out, std::string& problems);
};
