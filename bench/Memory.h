// What a benchmark measures of its own memory.
#pragma once

#include <cstdio>
#include <cstring>
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

// The most resident memory the process has had so far, in bytes (0 when unknown).
inline long peakResidentBytes() {
    long kib = 0;
    if (FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (std::strncmp(line, "VmHWM:", 6) == 0 && std::sscanf(line + 6, "%ld", &kib) != 1)
                kib = 0;
        std::fclose(status);
    }
    return kib * 1024;
}
