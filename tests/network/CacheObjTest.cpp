#include "network/CXCacheObj.h"

#include <osg/Referenced>
#include <osg/ref_ptr>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {
// Types of their own, so each test starts from an empty pool.
struct BlockRecord : osg::Referenced, CXCacheObj<BlockRecord> {
    double values[3] = {0, 0, 0};
};
struct OrderRecord : osg::Referenced, CXCacheObj<OrderRecord> {
    int value = 0;
};
struct ThreadRecord : osg::Referenced, CXCacheObj<ThreadRecord> {
    int owner = 0;
    int serial = 0;
};
struct SmallRecord : osg::Referenced, CXCacheObj<SmallRecord> {};
struct WiderRecord : SmallRecord {
    double extra[4] = {0, 0, 0, 0};
};
} // namespace

TEST(CXCacheObj, ReleasedSlotsAreReusedBeforeAnotherBlockIsTaken) {
    std::vector<osg::ref_ptr<BlockRecord>> held;
    for (int i = 0; i < 125; ++i)
        held.push_back(new BlockRecord);
    EXPECT_EQ(BlockRecord::blockCount(), 2u);
    held.clear();
    for (int i = 0; i < 125; ++i)
        held.push_back(new BlockRecord);
    EXPECT_EQ(BlockRecord::blockCount(), 2u);
}

TEST(CXCacheObj, AFreshBlockHandsOutItsHighestSlotFirstAndReusesTheLastReleased) {
    auto* first = new OrderRecord;
    auto* second = new OrderRecord;
    auto* firstBytes = reinterpret_cast<char*>(first);
    auto* secondBytes = reinterpret_cast<char*>(second);
    EXPECT_EQ(firstBytes - secondBytes, static_cast<std::ptrdiff_t>(sizeof(OrderRecord)));
    delete first;
    auto* again = new OrderRecord;
    EXPECT_EQ(again, first);
    delete again;
    delete second;
}

TEST(CXCacheObj, AnObjectOfAnotherSizeIsRefused) {
    try {
        delete new WiderRecord;
        FAIL() << "a wider object was served from the pool";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "CacheObj: wrong size object in operator new");
    }
    EXPECT_EQ(SmallRecord::blockCount(), 0u);
}

TEST(CXCacheObj, PagerThreadsAllocatingAtOnceNeverShareASlot) {
    const int threads = 8, perThread = 400, rounds = 20;
    std::vector<std::thread> workers;
    std::vector<int> damaged(threads, 0);
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([t, &damaged] {
            std::vector<osg::ref_ptr<ThreadRecord>> mine;
            for (int round = 0; round < rounds; ++round) {
                for (int i = 0; i < perThread; ++i) {
                    mine.push_back(new ThreadRecord);
                    mine.back()->owner = t;
                    mine.back()->serial = i;
                }
                for (int i = 0; i < perThread; ++i)
                    if (mine[i]->owner != t || mine[i]->serial != i)
                        ++damaged[t];
                mine.clear();
            }
        });
    }
    for (auto& worker : workers)
        worker.join();
    for (int t = 0; t < threads; ++t)
        EXPECT_EQ(damaged[t], 0) << "thread " << t;
    // Never more blocks than the most copies alive at once need.
    EXPECT_LE(ThreadRecord::blockCount(), (threads * perThread + 123) / 124u);
}
