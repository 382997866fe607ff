#pragma once

#include "modeling/ExtentGrid.h"

#include <memory>
#include <mutex>
#include <vector>

// The extent grid of one loaded record list, built by the first tile that asks and
// shared by every later one, whichever pager threads build them. Loaded lists never
// change (see LoadGate), so the grid never goes stale; it is tied to the list it was
// built from, and any other list is scanned instead. A list holds either the records
// themselves (a layer's segments) or the addresses of records loaded elsewhere (a
// category's points, which live in their kind's points).
template <class Record> class RecordGrid {
public:
    using BoxOf = ExtentGrid::Box (*)(const Record&);

    // Appends to `out` the addresses of the records of `records` that pass `inside`, in
    // list order: the candidates of the grid around `query` when `indexed`, else every
    // record. `inside` must only pass records whose box meets the closed `query`. The
    // addresses are those of the loaded records, valid while they are.
    template <class Records, class Inside>
    void select(const Records& records, BoxOf boxOf, const ExtentGrid::Box& query, bool indexed,
                Inside inside, std::vector<const Record*>& out) {
        const Built* built = indexed && !records.empty() ? of(records, boxOf) : nullptr;
        if (!built) {
            for (const auto& entry : records)
                if (inside(*addressOf(entry)))
                    out.push_back(addressOf(entry));
            return;
        }
        thread_local std::vector<std::uint32_t> positions;
        built->grid.candidates(query, positions);
        for (std::uint32_t position : positions) {
            const Record* record = built->byPosition[position];
            if (inside(*record))
                out.push_back(record);
        }
    }

private:
    static const Record* addressOf(const Record& record) { return &record; }
    static const Record* addressOf(const Record* record) { return record; }

    struct Built {
        template <class Records>
        Built(const Records& records, BoxOf boxOf)
            : list(&records), size(records.size()), byPosition(addressesOf(records)),
              grid(boxesOf(byPosition, boxOf)) {}

        template <class Records> static std::vector<const Record*> addressesOf(const Records& records) {
            std::vector<const Record*> addresses;
            addresses.reserve(records.size());
            for (const auto& entry : records)
                addresses.push_back(addressOf(entry));
            return addresses;
        }
        static std::vector<ExtentGrid::Box> boxesOf(const std::vector<const Record*>& records, BoxOf boxOf) {
            std::vector<ExtentGrid::Box> boxes;
            boxes.reserve(records.size());
            for (const Record* record : records)
                boxes.push_back(boxOf(*record));
            return boxes;
        }

        const void* list;
        std::size_t size;
        std::vector<const Record*> byPosition;
        ExtentGrid grid;
    };

    template <class Records> const Built* of(const Records& records, BoxOf boxOf) {
        std::call_once(once, [&] { built = std::make_unique<Built>(records, boxOf); });
        return built->list == &records && built->size == records.size() ? built.get() : nullptr;
    }

    std::once_flag once;
    std::unique_ptr<Built> built;
};
