#pragma once

#include <shared_mutex>

namespace osgEarth {
namespace Threading {

// Many readers or one writer: the paged graphs' registry is read by every pager
// thread that resolves a tile name and written only when a graph comes or goes.
class ReadWriteMutex {
public:
    void readLock() { _mutex.lock_shared(); }
    void readUnlock() { _mutex.unlock_shared(); }
    void writeLock() { _mutex.lock(); }
    void writeUnlock() { _mutex.unlock(); }

private:
    std::shared_mutex _mutex;
};

class ScopedReadLock {
public:
    explicit ScopedReadLock(ReadWriteMutex& mutex) : _mutex(mutex) { _mutex.readLock(); }
    ~ScopedReadLock() { _mutex.readUnlock(); }
    ScopedReadLock(const ScopedReadLock&) = delete;
    ScopedReadLock& operator=(const ScopedReadLock&) = delete;

private:
    ReadWriteMutex& _mutex;
};

class ScopedWriteLock {
public:
    explicit ScopedWriteLock(ReadWriteMutex& mutex) : _mutex(mutex) { _mutex.writeLock(); }
    ~ScopedWriteLock() { _mutex.writeUnlock(); }
    ScopedWriteLock(const ScopedWriteLock&) = delete;
    ScopedWriteLock& operator=(const ScopedWriteLock&) = delete;

private:
    ReadWriteMutex& _mutex;
};

} // namespace Threading
} // namespace osgEarth
