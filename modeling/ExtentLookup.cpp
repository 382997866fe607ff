#include "modeling/ExtentLookup.h"

#include <atomic>

namespace {
std::atomic<ExtentLookup> g_defaultLookup{ExtentLookup::Indexed};
}

ExtentLookup defaultExtentLookup() {
    return g_defaultLookup.load(std::memory_order_relaxed);
}

void setDefaultExtentLookup(ExtentLookup lookup) {
    g_defaultLookup.store(lookup, std::memory_order_relaxed);
}
