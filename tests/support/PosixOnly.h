// SPDX-License-Identifier: GPL-3.0-or-later
// Tests of POSIX behaviour (FIFOs, devices, hard and symbolic links, owners, fork, signals,
// terminals): skipped on Windows with a reason. There the few POSIX calls they make exist as
// failing stand-ins, so that the tests still compile.
#pragma once

#include <gtest/gtest.h>

#ifdef _WIN32
#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/types.h>

#define SKIP_ON_WINDOWS(reason) GTEST_SKIP() << "POSIX only: " << (reason)

#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif
#ifndef S_ISLNK
#define S_ISLNK(m) false
#endif
#ifndef S_ISFIFO
#define S_ISFIFO(m) false
#endif

namespace posix_stand_ins {
inline int Unsupported() {
  errno = ENOSYS;
  return -1;
}
}  // namespace posix_stand_ins

inline int pipe(int ends[2]) { return ::_pipe(ends, 65536, _O_BINARY); }
inline int mkdir(const char* path, int) { return ::_mkdir(path); }
inline int symlink(const char*, const char*) { return posix_stand_ins::Unsupported(); }
inline int link(const char*, const char*) { return posix_stand_ins::Unsupported(); }
inline int mkfifo(const char*, int) { return posix_stand_ins::Unsupported(); }
inline int lstat(const char* path, struct stat* info) { return ::stat(path, info); }
inline int chown(const char*, unsigned, unsigned) { return posix_stand_ins::Unsupported(); }
inline unsigned geteuid() { return 0; }
inline int setenv(const char* name, const char* value, int) { return ::_putenv_s(name, value); }
inline int unsetenv(const char* name) { return ::_putenv_s(name, ""); }
inline long long pwrite(int, const void*, std::size_t, long long) {
  return posix_stand_ins::Unsupported();
}
#else
#define SKIP_ON_WINDOWS(reason) static_cast<void>(0)
#endif
