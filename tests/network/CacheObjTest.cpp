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
struct WiderRecord : BlockRecord {
    double extra[4] = {0, 0, 0, 0};
};
struct ThreadRecord : osg::Referenced, CXCacheObj<ThreadRecord> {
    explicit ThreadRecord(int v) : value(v) {}
    int value;
};
} // namespace

TEST(CXCacheObj, ReleasedSlotsAreReusedBeforeAnotherBlockAndAWiderObjectIsRefused) {
    std::vector<osg::ref_ptr<BlockRecord>> held(125);
    for (auto& record : held)
        record = new BlockRecord;
    held.assign(248, nullptr);
    for (auto& record : held)
        record = new BlockRecord;
    EXPECT_EQ(BlockRecord::blockCount(), 2u);
    // A derived class with members of its own would overrun its slot.
    EXPECT_THROW(delete new WiderRecord, std::runtime_error);
    EXPECT_EQ(BlockRecord::blockCount(), 2u);
}

TEST(CXCacheObj, PagerThreadsAllocatingAtOnceNeverShareASlot) {
    const int threads = 8, perThread = 400;
    std::vector<int> damaged(threads, 0);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([t, &damaged] {
            for (int round = 0; round < 20; ++round) {
                std::vector<osg::ref_ptr<ThreadRecord>> mine;
                for (int i = 0; i < perThread; ++i)
                    mine.push_back(new ThreadRecord(t * perThread + i));
                for (int i = 0; i < perThread; ++i)
                    damaged[t] += mine[i]->value != t * perThread + i;
            }
        });
    for (auto& worker : workers)
        worker.join();
    EXPECT_EQ(damaged, std::vector<int>(threads, 0));
    // Never more blocks than the most copies alive at once need.
    EXPECT_LE(ThreadRecord::blockCount(), (threads * perThread + 123) / 124u);
}
