// The CPU time of the calling thread (user and system), for benchmarks that time two roads
// in one run on a machine whose other work would distort wall-clock times.
#pragma once

#include <time.h>

namespace kovabench {

inline double ThreadMicros() {
  struct timespec t {};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

}  // namespace kovabench
