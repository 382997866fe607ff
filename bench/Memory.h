// What a benchmark measures of its own memory.
#pragma once

#include <cstdio>
#include <unistd.h>

// The process's resident memory in bytes (0 when /proc cannot be read).
inline long residentBytes() {
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * sysconf(_SC_PAGESIZE);
}
