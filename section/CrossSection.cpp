#include "section/CrossSection.h"

#include "network/UtilityKind.h"
#include "section/ClearanceTable.h"

#include <algorithm>
#include <cmath>

namespace {

// Fills the row's pipe fields and its place at `u` (0 at the pipe's start, 1 at its end).
CrossSection::Row rowAt(const NetworkPipe& pipe, double u, double distance,
                        const CrossSection::HeightAt& heightAt) {
    CrossSection::Row row;
    row.kind = pipe.kind;
    row.gid = pipe.gid;
    row.startNumber = pipe.startNumber;
    row.endNumber = pipe.endNumber;
    row.material = pipe.material;
    row.sectionSize = pipe.sectionSize;
    row.distance = distance;
    row.x = pipe.startX + u * (pipe.endX - pipe.startX);
    row.y = pipe.startY + u * (pipe.endY - pipe.startY);
    // The axis as the scene builds it: ground minus burial depth at each end, straight between.
    double startZ = heightAt(pipe.startX, pipe.startY) - pipe.startDepth;
    double endZ = heightAt(pipe.endX, pipe.endY) - pipe.endDepth;
    row.centre = startZ + u * (endZ - startZ);
    row.ground = heightAt(row.x, row.y);

    PipeSection section = PipeSection::parse(pipe.sectionSize);
    row.shape = section.shape;
    if (section.shape == PipeSection::Shape::Round)
        row.width = row.height = section.diameter / 1000.0;
    else if (section.shape == PipeSection::Shape::Rectangular)
        row.width = section.width / 1000.0, row.height = section.height / 1000.0;
    // A sloping pipe is cut a little taller than its section by a vertical plane.
    double run = std::hypot(pipe.endX - pipe.startX, pipe.endY - pipe.startY);
    double slopeLength = std::hypot(run, endZ - startZ);
    double half = row.height / 2.0 * (run > 0.0 ? slopeLength / run : 1.0);
    row.depthTop = row.ground - (row.centre + half);
    row.depthBottom = row.ground - (row.centre - half);
    return row;
}

// Clear distance between two sections drawn in the cut: a round one is a circle, a box a
// rectangle; each taken as a core rectangle (a point for a circle) grown by a radius.
double gapBetween(const CrossSection::Row& a, const CrossSection::Row& b) {
    auto core = [](const CrossSection::Row& row, double& halfWidth, double& halfHeight, double& radius) {
        bool round = row.shape != PipeSection::Shape::Rectangular;
        halfWidth = round ? 0.0 : row.width / 2.0;
        halfHeight = round ? 0.0 : row.height / 2.0;
        radius = round ? row.height / 2.0 : 0.0;
    };
    double aw, ah, ar, bw, bh, br;
    core(a, aw, ah, ar);
    core(b, bw, bh, br);
    double dx = std::max(0.0, std::fabs(a.distance - b.distance) - aw - bw);
    double dy = std::max(0.0, std::fabs(a.centre - b.centre) - ah - bh);
    return std::hypot(dx, dy) - ar - br;
}

// Two rows of pipes joined at a surveyed point of theirs (one kind, a shared point number):
// a joint, not two pipes near each other.
bool joined(const CrossSection::Row& a, const CrossSection::Row& b) {
    if (a.kind != b.kind)
        return false;
    for (const std::string* p : {&a.startNumber, &a.endNumber})
        if (!p->empty() && (*p == b.startNumber || *p == b.endNumber))
            return true;
    return false;
}

} // namespace

CrossSection CrossSection::compute(double ax, double ay, double bx, double by,
                                   const std::vector<NetworkPipe>& pipes, const HeightAt& heightAt,
                                   const ClearanceTable& table) {
    CrossSection section;
    section.ax = ax, section.ay = ay, section.bx = bx, section.by = by;
    section.length = std::hypot(bx - ax, by - ay);
    if (!(section.length >= Tolerance)) {
        section.message = "the section line has no length (both ends at one point): nothing is cut";
        section.length = 0.0;
        return section;
    }
    const double L = section.length;
    const double dx = (bx - ax) / L, dy = (by - ay) / L; // unit direction A to B
    // Along the line from A, and to its left, of a map point.
    auto along = [&](double x, double y) { return (x - ax) * dx + (y - ay) * dy; };
    auto across = [&](double x, double y) { return dx * (y - ay) - dy * (x - ax); };
    auto onLine = [&](double d) { return d >= -Tolerance && d <= L + Tolerance; };

    for (const NetworkPipe& pipe : pipes) {
        double sS = across(pipe.startX, pipe.startY), sE = across(pipe.endX, pipe.endY);
        double dS = along(pipe.startX, pipe.startY), dE = along(pipe.endX, pipe.endY);
        bool startOn = std::fabs(sS) <= Tolerance, endOn = std::fabs(sE) <= Tolerance;
        if (startOn && endOn) {
            // Along the line: the common stretch, if any, from its end nearest A.
            double from = std::max(0.0, std::min(dS, dE)), to = std::min(L, std::max(dS, dE));
            if (to < from - Tolerance)
                continue;
            double u = dE != dS ? std::clamp((from - dS) / (dE - dS), 0.0, 1.0) : 0.0;
            Row row = rowAt(pipe, u, from, heightAt);
            row.contact = Contact::Along;
            row.alongTo = std::max(from, to);
            section.rows.push_back(row);
            continue;
        }
        double u;
        if (startOn)
            u = 0.0;
        else if (endOn)
            u = 1.0;
        else if ((sS < 0.0) != (sE < 0.0))
            u = sS / (sS - sE);
        else
            continue; // both ends on one side
        double d = dS + u * (dE - dS);
        if (!onLine(d))
            continue;
        Row row = rowAt(pipe, u, std::clamp(d, 0.0, L), heightAt);
        row.contact = startOn || endOn ? Contact::EndOnLine : Contact::Crosses;
        section.rows.push_back(row);
    }
    std::stable_sort(section.rows.begin(), section.rows.end(),
                     [](const Row& a, const Row& b) { return a.distance < b.distance; });

    // The ground every metre, at most 400 samples, both ends included.
    int steps = std::clamp(static_cast<int>(std::ceil(L)), 1, 400);
    for (int i = 0; i <= steps; ++i) {
        double d = L * i / steps;
        section.ground.push_back({d, heightAt(ax + dx * d, ay + dy * d)});
    }

    for (std::size_t i = 0; i < section.rows.size(); ++i)
        for (std::size_t j = i + 1; j < section.rows.size(); ++j) {
            const Row &a = section.rows[i], &b = section.rows[j];
            if (joined(a, b))
                continue;
            double required = table.required(UtilityKinds[a.kind].code, UtilityKinds[b.kind].code);
            double gap = gapBetween(a, b);
            if (gap < required)
                section.clearances.push_back({i, j, gap, required});
        }
    return section;
}
