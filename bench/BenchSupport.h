// SPDX-License-Identifier: GPL-3.0-or-later
// What the file benchmarks share: a clock, a progress host that never waits, the best of
// several runs, and child processes measured for time and peak memory.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/Progress.h"

using BenchClock = std::chrono::steady_clock;

double Seconds(BenchClock::time_point since);
// The middle value (the mean of the two middle ones for an even count); -1 for none.
double Median(std::vector<double> values);

// The command-line tool's host without its terminal bar: no event ever waits.
class QuietHost : public ProgressHost {
 public:
  void SetMaximum(std::int64_t) override {}
  void SetPosition(std::int64_t position) override;
  void SetText(const std::string&) override {}
  void DisableMainWindow() override {}
  void ShowWindow() override {}
  void HideWindow() override {}
  void EnableMainWindow() override {}
  bool EventWaiting() override { return false; }
  bool DispatchEvent() override { return true; }
};

// The read size of cat, the plain read every file benchmark compares with.
constexpr std::size_t kCatReadSize = 128 * 1024;
// The read size of the VOB scanner, for the plain read of its own size.
constexpr std::size_t kScanReadSize = 512 * 1024;
// The seconds to read the files through, `readSize` bytes at a time into a page-aligned buffer
// (as cat reads with the default); -1 when nothing could be read.
double PlainRead(const std::vector<std::string>& paths, std::size_t readSize = kCatReadSize);

// The shortest of `runs` timings.
template <typename F>
double Best(int runs, F f) {
  double best = 1e9;
  for (int i = 0; i < runs; ++i) best = std::min(best, f());
  return best;
}

// A child process's wall time and peak resident set; seconds is -1 when it failed.
struct ChildRun {
  double seconds = -1;
  long maxRssKiB = -1;
};
// Runs `work` in a child process; it fails when `work` returns false.
ChildRun RunChild(const std::function<bool()>& work);
// Runs a program with standard output and error sent to /dev/null.
ChildRun RunProgram(std::vector<std::string> args);

// Baseline and candidate timed in turn, `pairs` times, the order swapped every pair and each
// run preceded by the same `warm` step (when given), so that a machine whose costs drift (fresh
// memory here costs up to 3x more in one minute than the next) weighs on both alike.
struct PairedTimes {
  double ratio = -1;      // the median of the pair-by-pair candidate / baseline ratios
  double baseline = -1;   // median seconds
  double candidate = -1;  // median seconds
};
// A timing below 0 is a failed run: the result is then all -1.
PairedTimes TimePairs(int pairs, const std::function<double()>& baseline,
                      const std::function<double()>& candidate,
                      const std::function<void()>& warm = {});
