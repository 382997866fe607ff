#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A uniform grid over the bounding rectangles of one list of records (a layer's
// segments, a category's points), so a tile looks at the records near it instead of
// every record of the city. It only narrows the search: the caller still applies its
// own exact test to every candidate, so the selection is the plain scan's, record for
// record.
class ExtentGrid {
public:
    struct Box {
        double xMin, yMin, xMax, yMax;
    };

    // `boxes` in list order; a record is known by its position in that order.
    explicit ExtentGrid(const std::vector<Box>& boxes);

    // Positions, ascending and each once, of every record whose rectangle may meet the
    // closed rectangle `query`; a superset of those that do.
    void candidates(const Box& query, std::vector<std::uint32_t>& out) const;

    std::size_t size() const { return count; }

private:
    // Cell column or row of a coordinate, clamped to the grid: monotonic in the
    // coordinate, so a record between two coordinates lies between their cells.
    std::size_t column(double x) const;
    std::size_t row(double y) const;

    std::size_t count = 0;
    double x0 = 0.0, y0 = 0.0, cellWidth = 1.0, cellHeight = 1.0;
    std::size_t columns = 1, rows = 1;
    // Records of cell c: members[start[c]] .. members[start[c + 1]] - 1, ascending.
    std::vector<std::uint32_t> start;
    std::vector<std::uint32_t> members;
    // Records with coordinates that are not numbers, and those covering so many cells
    // that listing them in each would cost more than checking them for every tile.
    std::vector<std::uint32_t> everywhere;
};
