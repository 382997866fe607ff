#pragma once

#include <mutex>

// One instance per process, made on first use and destroyed at exit (or when the
// plug-in is unloaded).
template <class T> class Singleton {
public:
    static T* getInstance() {
        static std::once_flag once;
        static T* instance = nullptr;
        std::call_once(once, [] {
            static T object;
            instance = &object;
        });
        return instance;
    }

protected:
    Singleton() = default;
    ~Singleton() = default;
    Singleton(const Singleton&) = delete;
    Singleton& operator=(const Singleton&) = delete;
};
