#include "modeling/ExtentGrid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

// Records and queries the loaders never produce but a layer of another origin might:
// no numbers, infinities, inverted and enormous rectangles, among ordinary ones.
TEST(ExtentGrid, NarrowsEveryQueryToExactlyWhatAScanOfAllRecordsFindsWhateverTheNumbers) {
    const double inf = std::numeric_limits<double>::infinity();
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(-100.0, 100.0);
    auto anyNumber = [&] {
        const double odd[] = {std::nan(""), inf, -inf, 1e300};
        return random() % 3 ? coordinate(random) : odd[random() % 4];
    };
    std::vector<ExtentGrid::Box> boxes;
    for (int i = 0; i < 3000; ++i) {
        double x = coordinate(random), y = coordinate(random);
        boxes.push_back(i % 5
                            ? ExtentGrid::Box{x, y, x + coordinate(random) / 20, y + coordinate(random) / 20}
                            : ExtentGrid::Box{anyNumber(), anyNumber(), anyNumber(), anyNumber()});
    }
    ExtentGrid grid(boxes);
    std::vector<ExtentGrid::Box> queries = {
        {-inf, -inf, inf, inf}, {2000, 2000, 3000, 3000}, {50, 50, -50, -50}};
    for (int q = 0; q < 300; ++q)
        queries.push_back({anyNumber(), anyNumber(), anyNumber(), anyNumber()});
    std::vector<std::uint32_t> candidates;
    for (const ExtentGrid::Box& query : queries) {
        auto meets = [&](std::uint32_t i) {
            const ExtentGrid::Box& box = boxes[i];
            return !(box.xMin > query.xMax || query.xMin > box.xMax || box.yMin > query.yMax ||
                     query.yMin > box.yMax);
        };
        // Ascending and each once, as the records' list order.
        grid.candidates(query, candidates);
        std::vector<std::uint32_t> narrowed, scanned;
        std::copy_if(candidates.begin(), candidates.end(), std::back_inserter(narrowed), meets);
        for (std::uint32_t i = 0; i < boxes.size(); ++i)
            if (meets(i))
                scanned.push_back(i);
        ASSERT_EQ(narrowed, scanned);
    }
}
