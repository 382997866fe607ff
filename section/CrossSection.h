#pragma once

#include "network/PipeSection.h"
#include "section/NetworkPipe.h"

#include <functional>
#include <string>
#include <vector>

class ClearanceTable;

// The pipes under a section line A-B drawn over the network, as a vertical cut along it.
//
// A pipe is listed where its axis, seen from above, meets the line (ends of the line and
// of the pipe included, to a millimetre): its centre height there is the height of its
// straight axis, which runs from the ground minus the burial depth at one end to the same
// at the other, as the scene places it. A pipe whose end lies on the line (or the line's
// end on a pipe) is listed once at that point, so two pipes meeting at a well on the line
// give two rows. A pipe lying along the line is listed once, where the common stretch
// begins (nearest A), and marked with where it ends. A line shorter than a millimetre cuts
// nothing.
class CrossSection {
public:
    enum class Contact { Crosses, EndOnLine, Along };

    struct Row {
        int kind = 0;
        std::string gid, startNumber, endNumber, material, sectionSize; // GBK
        PipeSection::Shape shape = PipeSection::Shape::None;
        double width = 0.0, height = 0.0; // metres; a round pipe's diameter is both
        double distance = 0.0;            // from A along the line, metres
        double x = 0.0, y = 0.0;          // where the axis meets the line
        double centre = 0.0;              // height of the axis
        double ground = 0.0;              // ground height there
        double depthTop = 0.0, depthBottom = 0.0;
        Contact contact = Contact::Crosses;
        double alongTo = 0.0; // Along: where the common stretch ends, from A
    };
    struct GroundPoint {
        double distance, height;
    };
    // Two pipes closer than their kinds may be: the clear distance between their sections
    // as drawn (circles and rectangles at their places in the cut), and what is required.
    struct Clearance {
        std::size_t first, second; // rows
        double gap, required;
    };

    using HeightAt = std::function<double(double x, double y)>;

    double ax = 0.0, ay = 0.0, bx = 0.0, by = 0.0, length = 0.0;
    std::vector<Row> rows; // by distance from A
    std::vector<GroundPoint> ground;
    std::vector<Clearance> clearances;
    std::string message; // why the section is empty, when it is

    static constexpr double Tolerance = 1e-3;

    static CrossSection compute(double ax, double ay, double bx, double by,
                                const std::vector<NetworkPipe>& pipes, const HeightAt& heightAt,
                                const ClearanceTable& table);
};
