#pragma once

#include "modeling/ExtentGrid.h"

#include <list>
#include <memory>
#include <mutex>
#include <vector>

// The extent grid of one loaded record list, built by the first tile that asks and
// shared by every later one, whichever pager threads build them. Loaded lists never
// change (see LoadGate), so the grid never goes stale; it is tied to the list it was
// built from, and any other list is scanned instead.
template <class Record> class RecordGrid {
public:
    using BoxOf = ExtentGrid::Box (*)(const Record&);

    // Appends to `out` copies of the records of `records` that pass `inside`, in list
    // order: the candidates of the grid around `query` when `indexed`, else every
    // record. `inside` must only pass records whose box meets the closed `query`.
    template <class Inside>
    void select(const std::list<Record>& records, BoxOf boxOf, const ExtentGrid::Box& query, bool indexed,
                Inside inside, std::list<Record>& out) {
        const Built* built = indexed && !records.empty() ? of(records, boxOf) : nullptr;
        if (!built) {
            for (const Record& record : records)
                if (inside(record))
                    out.push_back(record);
            return;
        }
        thread_local std::vector<std::uint32_t> positions;
        built->grid.candidates(query, positions);
        for (std::uint32_t position : positions) {
            const Record& record = *built->byPosition[position];
            if (inside(record))
                out.push_back(record);
        }
    }

private:
    struct Built {
        explicit Built(const std::list<Record>& records, BoxOf boxOf)
            : list(&records), size(records.size()), grid(boxesOf(records, boxOf)) {
            byPosition.reserve(records.size());
            for (const Record& record : records)
                byPosition.push_back(&record);
        }
        static std::vector<ExtentGrid::Box> boxesOf(const std::list<Record>& records, BoxOf boxOf) {
            std::vector<ExtentGrid::Box> boxes;
            boxes.reserve(records.size());
            for (const Record& record : records)
                boxes.push_back(boxOf(record));
            return boxes;
        }

        const std::list<Record>* list;
        std::size_t size;
        ExtentGrid grid;
        std::vector<const Record*> byPosition;
    };

    const Built* of(const std::list<Record>& records, BoxOf boxOf) {
        std::call_once(once, [&] { built = std::make_unique<Built>(records, boxOf); });
        return built->list == &records && built->size == records.size() ? built.get() : nullptr;
    }

    std::once_flag once;
    std::unique_ptr<Built> built;
};
