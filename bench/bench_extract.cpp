// SPDX-License-Identifier: GPL-3.0-or-later
// vob extract of one stream against a plain read of the same cached 1 GiB file, in pairs run
// one after the other (the median of the pair-by-pair ratios), and the command's memory on
// 256 MiB and 1 GiB.
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "core/Log.h"
#include "files/VobExtract.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempDir.h"
#include "tests/support/VobBuilder.h"

namespace {

// User and system time of this process so far: on a machine shared with other work, the wall
// clock also counts the time spent waiting for a processor.
double CpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The pass over the VOB that collects the stream's units, and (into `save`) the SUP file's
// save, which ends with the flush to disk that every safe save makes.
double Extract(const std::string& path, const std::string& out, std::size_t* units, double* save,
               double* passCpu) {
  QuietHost host;
  ScopedProgressHost scoped(&host);
  const double cpu = CpuSeconds();
  const auto start = BenchClock::now();
  VobExtraction result;
  if (!ExtractVobStream({path}, {0, false, false}, result)) return -1;
  const double pass = Seconds(start);
  *passCpu = CpuSeconds() - cpu;
  const auto saveStart = BenchClock::now();
  if (!SaveSupUnits(out, result.units)) return -1;
  *save = Seconds(saveStart);
  *units = result.units.size();
  return pass;
}

}  // namespace

int main() {
  namespace fs = std::filesystem;
  TempDir temp;  // removed with the files on the way out
  const fs::path dir = temp.Path();
  const std::string big = (dir / "big.vob").string();
  const std::string small = (dir / "small.vob").string();
  const std::string out = (dir / "out.sup").string();
  int status = 0;
  if (!WriteMixedVobFile(big, 1024) || !WriteMixedVobFile(small, 256)) {
    std::fprintf(stderr, "bench_extract: cannot write the test files in %s\n", dir.c_str());
    status = 1;
  } else {
    LogRecorder log(kLogWarning);
    ScopedLogTarget scopedLog(&log);
    PlainRead({big});  // into the page cache
    constexpr int kPairs = 7;
    std::vector<double> reads, extracts, saves, ratios, totalRatios, cpuRatios;
    std::size_t units = 0;
    for (int i = 0; i < kPairs; ++i) {
      const double cpu0 = CpuSeconds();
      reads.push_back(PlainRead({big}));
      const double cpu1 = CpuSeconds();
      double save = 0;
      double passCpu = 0;
      extracts.push_back(Extract(big, out, &units, &save, &passCpu));
      cpuRatios.push_back(passCpu / (cpu1 - cpu0));
      saves.push_back(save);
      ratios.push_back(extracts.back() / reads.back());
      totalRatios.push_back((extracts.back() + save) / reads.back());
    }
    const auto rss = [&](const std::string& file) {
      return RunProgram({VELMORAN_CLI_PATH, "vob", "extract", file, "-o", out, "--stream", "0"}).maxRssKiB;
    };
    const long rssSmall = rss(small);
    const long rssBig = rss(big);
    std::printf("vob extract benchmark (1 GiB mixed VOB from the page cache, %d alternating pairs)\n", kPairs);
    std::printf("  units of stream 0 written         %zu\n", units);
    std::printf("  plain read, 128 KiB reads         median %.3f s\n", Median(reads));
    std::printf("  extract, the pass over the VOB    median %.3f s\n", Median(extracts));
    std::printf("  ratio to plain read               median of pairs %.2f (goal <= 1.2)\n", Median(ratios));
    std::printf("  ratio of processor time           median of pairs %.2f (the pass)\n", Median(cpuRatios));
    std::printf("  SUP save (%.1f MB, flushed)       median %.3f s; with it, ratio %.2f\n",
                static_cast<double>(fs::file_size(out)) / 1e6, Median(saves), Median(totalRatios));
    std::printf("  max RSS of velmoran-cli vob extract: 256 MiB %ld KiB, 1 GiB %ld KiB\n", rssSmall, rssBig);
  }
  return status;
}
