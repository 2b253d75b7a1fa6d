// SPDX-License-Identifier: GPL-3.0-or-later
// The VOB scan against a plain read of the same file, the cost of the throttled pump, and the
// scan's memory, on files of 1 GiB and 256 MiB made here and deleted after.
#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "core/Log.h"
#include "core/Progress.h"
#include "files/Filevob.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempDir.h"
#include "tests/support/VobBuilder.h"

namespace {

// The CLI's host without its terminal bar: a look-up is one read of a flag.
volatile std::sig_atomic_t gInterrupt = 0;
class CliLikeHost : public QuietHost {
 public:
  bool EventWaiting() override { return gInterrupt != 0; }
};

// The window's host without Qt: the same throttle, a dispatch that finds nothing to do.
class ThrottledHost : public CliLikeHost {
 public:
  bool EventWaiting() override { return throttle_.Due(); }
  bool DispatchEvent() override {
    ++pumps;
    throttle_.Reset();
    return true;
  }
  long pumps = 0;

 private:
  PumpThrottle throttle_;
};

double TimedScan(const std::string& path, ProgressHost& host, int* count) {
  ScopedProgressHost scoped(&host);
  CFileVOB vob;
  const auto start = BenchClock::now();
  if (!vob.Open(path)) return -1;
  *count = vob.Scan(false);
  return Seconds(start);
}

// Max resident set of a child that scans the file whole (or only starts), in KiB.
long ScanRss(const std::string& path, bool scan) {
  return RunChild([&] {
           if (!scan) return true;
           CliLikeHost host;
           ScopedProgressHost scoped(&host);
           CFileVOB vob;
           return vob.Open(path) && vob.Scan(false) >= 0;
         })
      .maxRssKiB;
}

}  // namespace

int main() {
  namespace fs = std::filesystem;
  TempDir temp;  // removed with the files on the way out
  const fs::path dir = temp.Path();
  const std::string big = (dir / "big.vob").string();
  const std::string small = (dir / "small.vob").string();
  int status = 0;
  if (!WriteMixedVobFile(big, 1024) || !WriteMixedVobFile(small, 256)) {
    std::fprintf(stderr, "bench_vob: cannot write the test files in %s\n", dir.c_str());
    status = 1;
  } else {
    LogRecorder log(kLogWarning);  // the CLI's default level: no per-block lines
    ScopedLogTarget scopedLog(&log);
    const double gib = 1.0;
    PlainRead({big}, 1 << 20);  // into the page cache
    int count = 0;
    CliLikeHost cli;
    // The scan against a plain read in turn, the median of the pair-by-pair ratios.
    const PairedTimes paired = TimePairs(7, [&] { return PlainRead({big}); },
                                         [&] { return TimedScan(big, cli, &count); });
    const double read128k = paired.baseline;
    const double scanCli = paired.candidate;
    const double read2k = Best(2, [&] { return PlainRead({big}, 2048); });
    // Against reads of the scanner's own size (512 KiB): the cost of the scan's work alone.
    const PairedTimes sameSize = TimePairs(7, [&] { return PlainRead({big}, kScanReadSize); },
                                           [&] { return TimedScan(big, cli, &count); });
    ThrottledHost throttled;
    int throttledCount = 0;
    // The window-like host against the CLI host, in turn as well.
    const PairedTimes hosts = TimePairs(7, [&] { return TimedScan(big, cli, &count); },
                                        [&] { return TimedScan(big, throttled, &throttledCount); });
    const double scanThrottled = hosts.candidate;

    // The pump alone, with the throttled host: nanoseconds per call.
    ScopedProgressHost scopedHost(&throttled);
    const int calls = 20'000'000;
    const auto pumpStart = BenchClock::now();
    for (int i = 0; i < calls; ++i) benchmark::DoNotOptimize(PumpMessages());
    const double pumpNs = Seconds(pumpStart) * 1e9 / calls;

    const long rssNone = ScanRss(big, false);
    const long rssSmall = ScanRss(small, true);
    const long rssBig = ScanRss(big, true);

    std::printf("VOB scan benchmark (1 GiB mixed VOB from the page cache; medians of 7 pairs, else best of runs)\n");
    std::printf("  subtitles counted                 %d (throttled host: %d)\n", count, throttledCount);
    std::printf("  plain read, 128 KiB reads         %.3f s  %.2f GiB/s  (as cat reads)\n", read128k, gib / read128k);
    std::printf("  plain read, 512 KiB reads         %.3f s  %.2f GiB/s  (the scanner's read size)\n",
                sameSize.baseline, gib / sameSize.baseline);
    std::printf("  plain read, 2048-byte reads       %.3f s  %.2f GiB/s\n", read2k, gib / read2k);
    std::printf("  scan, CLI host                    %.3f s  median ratio to plain read %.2f (goal <= 1.10) %s\n",
                scanCli, paired.ratio, paired.ratio >= 0 && paired.ratio <= 1.1 ? "ok" : "OVER");
    std::printf("  scan against 512 KiB reads        median ratio %.2f (the scan's own work)\n", sameSize.ratio);
    std::printf("  scan, throttled window-like host  %.3f s  median ratio to CLI scan %.2f (goal <= 1.10) %s\n",
                scanThrottled, hosts.ratio, hosts.ratio >= 0 && hosts.ratio <= 1.1 ? "ok" : "OVER");
    std::printf("  PumpMessages, throttled host      %.1f ns per call\n", pumpNs);
    std::printf("  max RSS: child without scan %ld KiB, scan of 256 MiB %ld KiB, scan of 1 GiB %ld KiB (goal < 20 MB)\n",
                rssNone, rssSmall, rssBig);
  }
  return status;
}
