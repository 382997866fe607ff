#pragma once

#include <cstddef>
#include <mutex>
#include <new>
#include <stdexcept>
#include <vector>

// Pool for the record copies that scene nodes carry as user data: a tile holds
// thousands of them, so they are carved from blocks of 124 instead of one system
// allocation each. Blocks are never given back; a released copy's slot is reused by
// the next copy of the same type. Tiles are built on several pager threads at once,
// so every pool operation takes the pool's lock.
template <class T> class CXCacheObj {
public:
    static constexpr std::size_t ObjectsPerBlock = 124;

    virtual ~CXCacheObj() = default;

    static void* operator new(std::size_t size) {
        // A class derived from T with members of its own would overrun its slot.
        if (size != sizeof(T))
            throw std::runtime_error("CacheObj: wrong size object in operator new");
        Pool& pool = thePool();
        std::lock_guard<std::mutex> lock(pool.mutex);
        if (!pool.freeList)
            pool.addBlock();
        FreeSlot* slot = pool.freeList;
        pool.freeList = slot->next;
        slot->~FreeSlot();
        return slot;
    }

    static void operator delete(void* pointer, std::size_t) noexcept {
        if (!pointer)
            return;
        Pool& pool = thePool();
        std::lock_guard<std::mutex> lock(pool.mutex);
        pool.freeList = new (pointer) FreeSlot{pool.freeList};
    }

    // Blocks taken from the system so far by the pool of T.
    static std::size_t blockCount() {
        Pool& pool = thePool();
        std::lock_guard<std::mutex> lock(pool.mutex);
        return pool.blocks.size();
    }

private:
    // A slot on the free list holds only the link to the next free slot.
    struct FreeSlot {
        FreeSlot* next;
    };

    struct Pool {
        std::mutex mutex;
        FreeSlot* freeList = nullptr;
        std::vector<void*> blocks;

        void addBlock() {
            // Reserve first: if either allocation throws, the free list is unchanged.
            blocks.reserve(blocks.size() + 1);
            char* block = static_cast<char*>(::operator new(ObjectsPerBlock * sizeof(T)));
            blocks.push_back(block);
            // Pushed in address order, so the highest slot is handed out first.
            for (std::size_t i = 0; i < ObjectsPerBlock; ++i)
                freeList = new (block + i * sizeof(T)) FreeSlot{freeList};
        }
    };

    // Never destroyed: copies held by scene nodes that outlive static destruction
    // (the control and its layers go last) still return their slots safely.
    static Pool& thePool() {
        static Pool* pool = new Pool;
        return *pool;
    }
};
