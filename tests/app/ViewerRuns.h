#pragma once

// Running the viewer as a user does, and reading what it drew.
#include <osg/Image>
#include <osg/Vec3>

#include <cstdio>
#include <string>
#include <vector>

// The command's standard output (and what it redirects there) and its exit status.
inline std::string run(const std::string& command, int& status) {
    std::string output;
    status = -1;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, n);
        status = pclose(pipe);
    }
    return output;
}

// Pixels of each distinct layer colour (brown, dark blue, blue, orange, purple, magenta,
// red, green): lit or not, such a pixel lies on its colour's ray from black. Brown and
// orange share a ray; orange is the bright end of it.
inline std::vector<unsigned> layerColours(const osg::Image& image) {
    const osg::Vec3 rays[] = {{115, 76, 0},  {0, 38, 115}, {0, 0, 255}, {205, 0, 197},
                              {255, 0, 197}, {255, 0, 0},  {0, 255, 0}};
    std::vector<unsigned> n(8);
    for (int y = 0; y < image.t(); ++y)
        for (int x = 0; x < image.s(); ++x) {
            osg::Vec4 c4 = image.getColor(x, y);
            osg::Vec3 c(c4.r(), c4.g(), c4.b());
            if (c.length() < 0.15f)
                continue;
            for (unsigned i = 0; i < 7; ++i) {
                osg::Vec3 ray = rays[i] / rays[i].length();
                if ((c / c.length()) * ray > 0.998f)
                    ++n[i == 0 ? (c.x() > 0.5f ? 7 : 0) : i];
            }
        }
    return n;
}
