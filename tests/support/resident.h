#pragma once

#include <cstdio>
#include <unistd.h>

// This process's resident memory in megabytes (Linux: /proc/self/statm), for the benchmarks.
inline double residentMegabytes() {
    long pages = 0, resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / 1e6;
}
