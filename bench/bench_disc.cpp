// SPDX-License-Identifier: GPL-3.0-or-later
// Disc work: the scan of a 2 GiB title set in two parts that continue each other, against a plain
// read of both files, and its memory; `velmoran-cli ifo show DIR --all` on a disc of 99 title
// sets. The files are made here and deleted after.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "core/Log.h"
#include "core/Progress.h"
#include "files/Filevob.h"
#include "tests/support/IfoBuilder.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempDir.h"
#include "tests/support/VobBuilder.h"

namespace {

// Megabytes [from, to) of the mixed stream, the last cut after `extraBlocks` blocks of the next
// megabyte (or the first begun there): a split inside the unit at blocks 5-7 of that megabyte.
bool WriteRange(const std::string& path, const Bytes& mb, std::size_t megabytes, std::size_t skipBlocks,
                std::size_t extraBlocks) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  bool ok = std::fwrite(mb.data() + skipBlocks * 2048, 1, mb.size() - skipBlocks * 2048, out) ==
            mb.size() - skipBlocks * 2048;
  for (std::size_t i = 1; i < megabytes && ok; ++i) ok = std::fwrite(mb.data(), 1, mb.size(), out) == mb.size();
  if (ok && extraBlocks > 0) ok = std::fwrite(mb.data(), 1, extraBlocks * 2048, out) == extraBlocks * 2048;
  return std::fclose(out) == 0 && ok;
}

// The CLI's run over both parts: the first completes its last unit from the second.
int ScanParts(const std::string& first, const std::string& second) {
  QuietHost host;
  ScopedProgressHost scoped(&host);
  CFileVOB vob;
  if (!vob.Open(first)) return -1;
  vob.SetNextPart(second);
  const int a = vob.Scan(false);
  if (a < 0 || !vob.Open(second)) return -1;
  const int b = vob.Scan(false);
  return b < 0 ? -1 : a + b;
}

long ScanRss(const std::string& first, const std::string& second, bool scan) {
  return RunChild([&] { return !scan || ScanParts(first, second) >= 0; }).maxRssKiB;
}

// The time of one run of velmoran-cli; a failed run never counts as the best.
double RunCli(const std::vector<std::string>& args) {
  const ChildRun run = RunProgram(args);
  return run.seconds < 0 ? 1e9 : run.seconds;
}

}  // namespace

int main() {
  namespace fs = std::filesystem;
  TempDir temp;  // removed with the files on the way out
  const fs::path dir = temp.Path();
  const std::string first = (dir / "VTS_01_1.VOB").string();
  const std::string second = (dir / "VTS_01_2.VOB").string();
  const fs::path disc = dir / "VIDEO_TS";
  fs::create_directory(disc);
  int status = 0;
  const Bytes mb = MixedVobMegabyte();
  // 1 GiB and six blocks, then the rest of 2 GiB: the split falls inside a three-packet unit.
  if (!WriteRange(first, mb, 1024, 0, 6) || !WriteRange(second, mb, 1024, 6, 0)) {
    std::fprintf(stderr, "bench_disc: cannot write the test files in %s\n", dir.c_str());
    status = 1;
  } else {
    LogRecorder log(kLogWarning);
    ScopedLogTarget scopedLog(&log);
    PlainRead({first, second});  // into the page cache
    int count = 0;
    // The scan and a plain read in turn: the median of the pair-by-pair ratios.
    const auto scan = [&] {
      const auto start = BenchClock::now();
      count = ScanParts(first, second);
      return count < 0 ? -1.0 : Seconds(start);
    };
    const PairedTimes paired = TimePairs(9, [&] { return PlainRead({first, second}); }, scan);
    // The same against reads of the scanner's own size: the cost of the scan's work alone.
    const PairedTimes sameSize = TimePairs(9, [&] { return PlainRead({first, second}, kScanReadSize); }, scan);
    const long rssNone = ScanRss(first, second, false);
    const long rssScan = ScanRss(first, second, true);

    IfoLayout vts;
    vts.titleChains = 3;
    vts.titlePalettes = {{2, OtherIfoPalette(1)}};
    vts.menus = {{OtherIfoPalette(2), OtherIfoPalette(3)}};
    IfoLayout vmg;
    vmg.identifier = "DVDVIDEO-VMG";
    vmg.firstPlay = OtherIfoPalette(4);
    vmg.menus = {{OtherIfoPalette(5)}};
    WriteFileBytes((disc / "VIDEO_TS.IFO").string(), BuildIfo(SampleIfoPalette(), vmg));
    const Bytes titleSet = BuildIfo(SampleIfoPalette(), vts);
    for (int n = 1; n <= 99; ++n) {
      char name[32];
      std::snprintf(name, sizeof name, "VTS_%02d_0.IFO", n);
      WriteFileBytes((disc / name).string(), titleSet);
      std::snprintf(name, sizeof name, "VTS_%02d_0.BUP", n);
      WriteFileBytes((disc / name).string(), titleSet);
    }
    const double show = Best(5, [&] { return RunCli({VELMORAN_CLI_PATH, "ifo", "show", disc.string(), "--all"}); });
    const double version = Best(5, [&] { return RunCli({VELMORAN_CLI_PATH, "--version"}); });

    std::printf("Disc work benchmark (files from the page cache; medians of 9 pairs, else best of runs)\n");
    std::printf("  2 GiB title set in two parts: %d subtitles counted (%d expected)\n", count, 2 * 1024 * 4);
    std::printf("  plain read of both parts (128 KiB reads, as cat)  %.3f s\n", paired.baseline);
    std::printf("  continuing scan of both parts                     %.3f s  median ratio %.2f (goal <= 1.10) %s\n",
                paired.candidate, paired.ratio, paired.ratio >= 0 && paired.ratio <= 1.1 ? "ok" : "OVER");
    std::printf("  plain read in 512 KiB reads, as the scanner      %.3f s  scan's median ratio to it %.2f\n",
                sameSize.baseline, sameSize.ratio);
    std::printf("  max RSS: child without scan %ld KiB, continuing scan %ld KiB (goal < 20 MB)\n", rssNone,
                rssScan);
    std::printf("  ifo show DIR --all, 99 title sets + VIDEO_TS.IFO  %.1f ms (goal < 50 ms; "
                "velmoran-cli --version alone %.1f ms)\n",
                show * 1e3, version * 1e3);
  }
  return status;
}
