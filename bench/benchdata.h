#pragma once

#include "data/sampleline.h"

#include <QByteArray>

#include <cstdio>
#include <unistd.h>

// Board-like output of `size` bytes: sample lines of three pseudo-random 10-bit readings, with a
// message line now and then.
inline QByteArray boardData(qint64 size) {
    QByteArray data;
    data.reserve(size + 32);
    quint32 state = 2026;
    auto reading = [&state] {
        state = state * 1103515245u + 12345u;
        return int((state >> 16) & 0x3FF);
    };
    for (qint64 line = 1; data.size() < size; ++line) {
        data += sampleLine({reading(), reading(), reading()});
        if (line % 5000 == 0) data += "Page suivante\r\n";
    }
    data.truncate(size);
    return data;
}

// This process's resident memory in megabytes (Linux: /proc/self/statm).
inline double residentMegabytes() {
    long pages = 0, resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / 1e6;
}
