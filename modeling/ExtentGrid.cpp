#include "modeling/ExtentGrid.h"

#include <algorithm>
#include <cmath>

namespace {

// Each side gets at most this many cells, and a record is listed in at most this many
// cells before it goes to the list every tile checks.
constexpr double MaxCellsPerSide = 2048.0;
constexpr std::size_t MaxCellsPerRecord = 16;

bool finite(const ExtentGrid::Box& box) {
    return std::isfinite(box.xMin) && std::isfinite(box.yMin) && std::isfinite(box.xMax) &&
           std::isfinite(box.yMax);
}

// Cells along one side: about one record per cell over the whole area, but no cell
// narrower than the records' mean size, so a typical segment spans a few cells only.
std::size_t cellsAlong(double side, double across, double records, double meanSize) {
    if (!(side > 0.0))
        return 1;
    double cells = across > 0.0 ? std::sqrt(records * side / across) : records;
    if (meanSize > 0.0)
        cells = std::min(cells, side / meanSize);
    return static_cast<std::size_t>(std::clamp(std::ceil(cells), 1.0, MaxCellsPerSide));
}

std::size_t clampedCell(double offset, double cellSize, std::size_t cells) {
    double cell = std::floor(offset / cellSize);
    if (!(cell >= 0.0))
        return 0;
    if (cell >= static_cast<double>(cells - 1))
        return cells - 1;
    return static_cast<std::size_t>(cell);
}

} // namespace

ExtentGrid::ExtentGrid(const std::vector<Box>& boxes) : count(boxes.size()) {
    double x1 = 0.0, y1 = 0.0, widths = 0.0, heights = 0.0;
    std::size_t placed = 0;
    for (const Box& box : boxes) {
        if (!finite(box))
            continue;
        x0 = placed ? std::min(x0, box.xMin) : box.xMin;
        y0 = placed ? std::min(y0, box.yMin) : box.yMin;
        x1 = placed ? std::max(x1, box.xMax) : box.xMax;
        y1 = placed ? std::max(y1, box.yMax) : box.yMax;
        widths += box.xMax - box.xMin;
        heights += box.yMax - box.yMin;
        ++placed;
    }
    if (placed) {
        double n = static_cast<double>(placed), width = x1 - x0, height = y1 - y0;
        columns = cellsAlong(width, height, n, widths / n);
        rows = cellsAlong(height, width, n, heights / n);
        if (width > 0.0)
            cellWidth = width / static_cast<double>(columns);
        if (height > 0.0)
            cellHeight = height / static_cast<double>(rows);
    }

    // Two passes over the records: count each cell's members, then file them, in
    // list order, so every cell's positions come out ascending.
    std::vector<std::uint32_t> filled(columns * rows + 1, 0);
    auto eachCell = [&](const Box& box, auto&& visit) {
        std::size_t c0 = column(box.xMin), c1 = column(box.xMax), r0 = row(box.yMin), r1 = row(box.yMax);
        for (std::size_t r = r0; r <= r1; ++r)
            for (std::size_t c = c0; c <= c1; ++c)
                visit(r * columns + c);
    };
    auto spansFew = [&](const Box& box) {
        std::size_t spanned = (column(box.xMax) - column(box.xMin) + 1) * (row(box.yMax) - row(box.yMin) + 1);
        return spanned <= MaxCellsPerRecord;
    };
    std::vector<bool> gridded(count, false);
    for (std::size_t i = 0; i < count; ++i) {
        const Box& box = boxes[i];
        if (finite(box) && box.xMin <= box.xMax && box.yMin <= box.yMax && spansFew(box)) {
            gridded[i] = true;
            eachCell(box, [&](std::size_t cell) { ++filled[cell + 1]; });
        } else {
            everywhere.push_back(static_cast<std::uint32_t>(i));
        }
    }
    for (std::size_t cell = 1; cell < filled.size(); ++cell)
        filled[cell] += filled[cell - 1];
    start = filled;
    members.resize(start.back());
    for (std::size_t i = 0; i < count; ++i)
        if (gridded[i])
            eachCell(boxes[i],
                     [&](std::size_t cell) { members[filled[cell]++] = static_cast<std::uint32_t>(i); });
}

std::size_t ExtentGrid::column(double x) const {
    return clampedCell(x - x0, cellWidth, columns);
}

std::size_t ExtentGrid::row(double y) const {
    return clampedCell(y - y0, cellHeight, rows);
}

void ExtentGrid::candidates(const Box& query, std::vector<std::uint32_t>& out) const {
    out.clear();
    if (std::isnan(query.xMin) || std::isnan(query.yMin) || std::isnan(query.xMax) ||
        std::isnan(query.yMax)) {
        // Nothing to narrow by: every record is a candidate.
        for (std::size_t i = 0; i < count; ++i)
            out.push_back(static_cast<std::uint32_t>(i));
        return;
    }
    // An inverted query can still meet a record that spans it; its cells lie between
    // those of its two bounds either way.
    std::size_t c0 = column(std::min(query.xMin, query.xMax)), c1 = column(std::max(query.xMin, query.xMax));
    std::size_t r0 = row(std::min(query.yMin, query.yMax)), r1 = row(std::max(query.yMin, query.yMax));
    out.insert(out.end(), everywhere.begin(), everywhere.end());
    for (std::size_t r = r0; r <= r1; ++r) {
        std::size_t first = r * columns + c0, last = r * columns + c1;
        out.insert(out.end(), members.begin() + start[first], members.begin() + start[last + 1]);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
}
