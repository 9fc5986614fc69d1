// The clocks the benchmarks read, in milliseconds: this thread's CPU time (on
// a machine shared with other work it leaves out the stretches in which the
// thread was not running), the whole process's CPU time, and the wall clock.
#pragma once

#include <time.h>

inline double ClockMs(clockid_t clock) {
    timespec t;
    clock_gettime(clock, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}
inline double ThreadCpuMs() { return ClockMs(CLOCK_THREAD_CPUTIME_ID); }
inline double ProcessCpuMs() { return ClockMs(CLOCK_PROCESS_CPUTIME_ID); }
inline double WallMs() { return ClockMs(CLOCK_MONOTONIC); }
