#pragma once

#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>

// Guards one cache that is filled on first use from whichever thread asks first: the
// frame thread or any of the pager threads building tiles. One fill runs at a time;
// a thread that arrives while another is filling waits for that fill and takes its
// outcome instead of starting its own, so a database that cannot be reached costs one
// attempt (and one failure dialog) per request, not one per waiting thread. A fill
// that fails leaves the cache unfilled and the next request tries again. Once filled,
// the cache never changes again and may be read without the lock.
class LoadGate {
public:
    // Runs fill() unless the cache is already filled; fill() writes the cache and says
    // whether it is now filled. Returns whether the cache is filled.
    bool ensure(const std::function<bool()>& fill);
    bool isFilled() const;
    // Threads waiting for a fill that another thread runs.
    int waiting() const;

private:
    mutable std::mutex mutex;
    std::condition_variable finished;
    bool filling = false;
    bool filled = false;
    int waiters = 0;
    unsigned long attempts = 0;
};

// What a lazily filled list hands out while it is still unfilled: an empty list of the
// calling thread's own, so a caller never reads the cache while another thread fills it.
template <class T> std::list<T>& unfilledList() {
    thread_local std::list<T> none;
    none.clear();
    return none;
}
