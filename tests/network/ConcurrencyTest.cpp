#include "NetworkDatabase.h"

#include "layers/Kinds.h"
#include "network/LoadGate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Lets every thread in before any of them asks, so the first requests really meet.
class StartLine {
public:
    explicit StartLine(int threads) : remaining(threads) {}
    void arriveAndWait() {
        std::unique_lock<std::mutex> lock(mutex);
        if (--remaining == 0)
            open.notify_all();
        else
            open.wait(lock, [this] { return remaining == 0; });
    }

private:
    std::mutex mutex;
    std::condition_variable open;
    int remaining;
};

std::atomic<int> gasPointLoads{0};
std::atomic<int> gasSegmentLoads{0};

// The gas kind's categories and layer, counting the loads that reach the database.
template <class Category> struct Counted : Category {
    bool loadRecords(std::list<CPPoint>& out) override {
        ++gasPointLoads;
        return Category::loadRecords(out);
    }
};
struct CountedGasLayer : DBTRPipe {
    bool loadSegments(std::list<CPPipeLine>& out) override {
        ++gasSegmentLoads;
        return DBTRPipe::loadSegments(out);
    }
};

} // namespace

TEST(LoadGate, ThreadsArrivingDuringAFillTakeItsOutcomeAndTheNextRequestTriesAgain) {
    LoadGate gate;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> fills{0};
    auto failingFill = [&] {
        ++fills;
        released.wait();
        return false;
    };

    std::vector<std::future<bool>> outcomes;
    outcomes.push_back(std::async(std::launch::async, [&] { return gate.ensure(failingFill); }));
    while (fills == 0)
        std::this_thread::yield();
    for (int i = 0; i < 7; ++i)
        outcomes.push_back(std::async(std::launch::async, [&] { return gate.ensure(failingFill); }));
    while (gate.waiting() < 7 && fills == 1)
        std::this_thread::yield();
    release.set_value();
    for (auto& outcome : outcomes)
        EXPECT_FALSE(outcome.get());
    // One attempt for the eight threads: one failure dialog, not eight.
    EXPECT_EQ(fills, 1);
    EXPECT_FALSE(gate.isFilled());

    EXPECT_TRUE(gate.ensure([&] {
        ++fills;
        return true;
    }));
    EXPECT_TRUE(gate.ensure([&] {
        ++fills;
        return false;
    }));
    EXPECT_EQ(fills, 2);
}

TEST(LoadGate, AFillThatThrowsReleasesItsWaitersAndLeavesTheCacheUnfilled) {
    LoadGate gate;
    EXPECT_THROW(gate.ensure([]() -> bool { throw std::bad_alloc(); }), std::bad_alloc);
    EXPECT_FALSE(gate.isFilled());
    EXPECT_TRUE(gate.ensure([] { return true; }));
}

TEST(KindLoading, EightPagerThreadsAskingFirstRunOneQueryEachAndSeeTheSameRecords) {
    NetworkDatabase db;
    db.createKindTables("TR");
    db.begin();
    const int points = 2000;
    for (int i = 0; i < points; ++i) {
        const char* nature = i % 4 == 0 ? "三通" : i % 4 == 1 ? "弯头" : i % 4 == 2 ? "阀门井" : "调压箱";
        db.addPoint("TR", "T" + std::to_string(i), "N" + std::to_string(i), i, i, 1.5, nature);
        if (i > 0)
            db.addLine("TR", "L" + std::to_string(i), "N" + std::to_string(i - 1), "N" + std::to_string(i), 1,
                       1);
    }
    db.commit();

    osg::ref_ptr<DBPipe> gas = new CountedGasLayer;
    std::vector<osg::ref_ptr<DBPoint>> categories = {new Counted<DBTRFMJPoint>, new Counted<DBTRSTPoint>,
                                                     new Counted<DBTRTYXPoint>, new Counted<DBTRWTPoint>};
    for (auto& category : categories)
        gas->addPoint(category);

    const int threads = 8;
    StartLine start(threads);
    std::vector<const std::list<CPPoint>*> seenPoints(threads);
    std::vector<const std::list<CPPipeLine>*> seenSegments(threads);
    std::vector<std::size_t> pointCounts(threads), segmentCounts(threads);
    std::vector<std::thread> pager;
    for (int t = 0; t < threads; ++t) {
        pager.emplace_back([&, t] {
            start.arriveAndWait();
            // Half the threads start with the points, half with the segments.
            DBPoint& category = *categories[t % categories.size()];
            if (t % 2) {
                seenSegments[t] = &gas->segments();
                seenPoints[t] = &category.getRecords();
            } else {
                seenPoints[t] = &category.getRecords();
                seenSegments[t] = &gas->segments();
            }
            pointCounts[t] = seenPoints[t]->size();
            segmentCounts[t] = seenSegments[t]->size();
        });
    }
    for (auto& thread : pager)
        thread.join();

    EXPECT_EQ(gasPointLoads, 1);
    EXPECT_EQ(gasSegmentLoads, 1);
    for (int t = 0; t < threads; ++t) {
        EXPECT_EQ(pointCounts[t], static_cast<std::size_t>(points / 4)) << "thread " << t;
        EXPECT_EQ(segmentCounts[t], static_cast<std::size_t>(points - 1)) << "thread " << t;
        EXPECT_EQ(seenSegments[t], seenSegments[0]);
        EXPECT_EQ(seenPoints[t], &categories[t % categories.size()]->getRecords());
    }
}
