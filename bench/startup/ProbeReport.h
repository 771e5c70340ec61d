#pragma once

// What a start-up probe tells its runner once its window is up: the monotonic
// clock at that moment and the peak resident memory so far.

#include <cstdio>
#include <ctime>
#include <sys/resource.h>

inline void reportReady(int widgets)
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("READY %lld %ld %d\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec,
                usage.ru_maxrss, widgets);
    std::fflush(stdout);
}
