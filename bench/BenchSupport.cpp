// SPDX-License-Identifier: GPL-3.0-or-later
// What the file benchmarks share: a clock, a progress host that never waits, a plain read,
// the best of several runs, and child processes measured for time and peak memory.
#include "bench/BenchSupport.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

double Seconds(BenchClock::time_point since) {
  return std::chrono::duration<double>(BenchClock::now() - since).count();
}

void QuietHost::SetPosition(std::int64_t position) { benchmark::DoNotOptimize(position); }

double PlainRead(const std::vector<std::string>& paths, std::size_t readSize) {
  const std::size_t bufferSize = (readSize + 4095) / 4096 * 4096;
  std::unique_ptr<char, decltype(&std::free)> buffer(
      static_cast<char*>(std::aligned_alloc(4096, bufferSize)), &std::free);
  const auto start = BenchClock::now();
  long long total = 0;
  for (const std::string& path : paths) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    ssize_t got = 0;
    while ((got = ::read(fd, buffer.get(), readSize)) > 0) total += got;
    ::close(fd);
  }
  benchmark::DoNotOptimize(total);
  return total == 0 ? -1 : Seconds(start);
}

namespace {

ChildRun Measure(const std::function<void()>& child) {
  const auto start = BenchClock::now();
  const pid_t pid = ::fork();
  if (pid < 0) return {};
  if (pid == 0) {
    child();
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return {};
  }
  return {Seconds(start), usage.ru_maxrss};
}

}  // namespace

ChildRun RunChild(const std::function<bool()>& work) {
  return Measure([&] { ::_exit(work() ? 0 : 1); });
}

ChildRun RunProgram(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return Measure([&] {
    if (std::freopen("/dev/null", "w", stdout) == nullptr || std::freopen("/dev/null", "w", stderr) == nullptr) {
      return;
    }
    ::execvp(argv[0], argv.data());
  });
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n == 0 ? -1 : n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

PairedTimes TimePairs(int pairs, const std::function<double()>& baseline,
                      const std::function<double()>& candidate,
                      const std::function<void()>& warm) {
  std::vector<double> base;
  std::vector<double> cand;
  std::vector<double> ratios;
  const auto run = [&](const std::function<double()>& f) {
    if (warm) warm();
    return f();
  };
  for (int i = 0; i < pairs; ++i) {
    double b = 0;
    double c = 0;
    if (i % 2 == 0) {
      b = run(baseline);
      c = run(candidate);
    } else {
      c = run(candidate);
      b = run(baseline);
    }
    if (b <= 0 || c < 0) return {};
    base.push_back(b);
    cand.push_back(c);
    ratios.push_back(c / b);
  }
  return {Median(ratios), Median(base), Median(cand)};
}
