// Counts the calls into the operating system that the platform layer (and the C++ library)
// makes from this process: the C library's file, folder, mapping, lock and loader entry
// points are wrapped here and forwarded to the C library. Include it in exactly one source
// of a benchmark whose executable exports its symbols (ENABLE_EXPORTS), so that the shared
// libraries' calls bind to these wrappers. Calls the C library makes internally, and the
// clock (answered without entering the kernel), are not counted.
#pragma once

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>

namespace kovabench {

inline std::atomic<std::uint64_t> g_systemCalls{0};

// Calls counted so far in this process.
inline std::uint64_t SystemCalls() { return g_systemCalls.load(std::memory_order_relaxed); }

template <class F>
F NextDefinition(const char* name) {
  void* f = ::dlsym(RTLD_NEXT, name);
  if (!f) std::abort();
  return reinterpret_cast<F>(f);
}

}  // namespace kovabench

#define KOVABENCH_FORWARD(ret, name, params, args)                                  \
  extern "C" ret name params {                                                      \
    using Fn = ret(*) params;                                                       \
    static Fn next = kovabench::NextDefinition<Fn>(#name);                          \
    kovabench::g_systemCalls.fetch_add(1, std::memory_order_relaxed);               \
    return next args;                                                               \
  }

extern "C" int open(const char* path, int flags, ...) {
  using Fn = int (*)(const char*, int, ...);
  static Fn next = kovabench::NextDefinition<Fn>("open");
  mode_t mode = 0;
  if (flags & (O_CREAT | O_TMPFILE)) {
    va_list ap;
    va_start(ap, flags);
    mode = static_cast<mode_t>(va_arg(ap, int));
    va_end(ap);
  }
  kovabench::g_systemCalls.fetch_add(1, std::memory_order_relaxed);
  return next(path, flags, mode);
}

extern "C" int openat(int dir, const char* path, int flags, ...) {
  using Fn = int (*)(int, const char*, int, ...);
  static Fn next = kovabench::NextDefinition<Fn>("openat");
  mode_t mode = 0;
  if (flags & (O_CREAT | O_TMPFILE)) {
    va_list ap;
    va_start(ap, flags);
    mode = static_cast<mode_t>(va_arg(ap, int));
    va_end(ap);
  }
  kovabench::g_systemCalls.fetch_add(1, std::memory_order_relaxed);
  return next(dir, path, flags, mode);
}

extern "C" int fcntl(int fd, int cmd, ...) {
  using Fn = int (*)(int, int, ...);
  static Fn next = kovabench::NextDefinition<Fn>("fcntl");
  va_list ap;
  va_start(ap, cmd);
  void* arg = va_arg(ap, void*);  // every command takes at most one argument, int or pointer
  va_end(ap);
  kovabench::g_systemCalls.fetch_add(1, std::memory_order_relaxed);
  return next(fd, cmd, arg);
}

KOVABENCH_FORWARD(int, close, (int fd), (fd))
KOVABENCH_FORWARD(ssize_t, read, (int fd, void* b, size_t n), (fd, b, n))
KOVABENCH_FORWARD(ssize_t, write, (int fd, const void* b, size_t n), (fd, b, n))
KOVABENCH_FORWARD(ssize_t, pread, (int fd, void* b, size_t n, off_t o), (fd, b, n, o))
KOVABENCH_FORWARD(ssize_t, pwrite, (int fd, const void* b, size_t n, off_t o), (fd, b, n, o))
KOVABENCH_FORWARD(off_t, lseek, (int fd, off_t o, int w), (fd, o, w))
KOVABENCH_FORWARD(int, stat, (const char* p, struct stat* s), (p, s))
KOVABENCH_FORWARD(int, lstat, (const char* p, struct stat* s), (p, s))
KOVABENCH_FORWARD(int, fstat, (int fd, struct stat* s), (fd, s))
KOVABENCH_FORWARD(int, fstatat, (int d, const char* p, struct stat* s, int f), (d, p, s, f))
KOVABENCH_FORWARD(int, statx, (int d, const char* p, int f, unsigned m, struct statx* s), (d, p, f, m, s))
KOVABENCH_FORWARD(DIR*, opendir, (const char* p), (p))
KOVABENCH_FORWARD(int, closedir, (DIR * d), (d))
KOVABENCH_FORWARD(int, rename, (const char* a, const char* b), (a, b))
KOVABENCH_FORWARD(int, unlink, (const char* p), (p))
KOVABENCH_FORWARD(int, mkdir, (const char* p, mode_t m), (p, m))
KOVABENCH_FORWARD(int, rmdir, (const char* p), (p))
KOVABENCH_FORWARD(int, flock, (int fd, int op), (fd, op))
KOVABENCH_FORWARD(int, ftruncate, (int fd, off_t n), (fd, n))
KOVABENCH_FORWARD(int, fchmod, (int fd, mode_t m), (fd, m))
KOVABENCH_FORWARD(int, fdatasync, (int fd), (fd))
KOVABENCH_FORWARD(int, futimens, (int fd, const struct timespec* t), (fd, t))
KOVABENCH_FORWARD(void*, mmap, (void* a, size_t n, int p, int f, int fd, off_t o), (a, n, p, f, fd, o))
KOVABENCH_FORWARD(int, munmap, (void* a, size_t n), (a, n))
KOVABENCH_FORWARD(ssize_t, readlink, (const char* p, char* b, size_t n), (p, b, n))
KOVABENCH_FORWARD(char*, realpath, (const char* p, char* b), (p, b))
KOVABENCH_FORWARD(pid_t, getpid, (), ())

#undef KOVABENCH_FORWARD
