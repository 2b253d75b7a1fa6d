// SPDX-License-Identifier: GPL-3.0-or-later
// vob remap of a 1 GiB VOB through velmoran-cli: -o against cp of the same file, in place against a
// durable copy (cp, then sync of the copy), each timed in turn with its baseline, and the remap's
// memory; files made here, deleted after.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "tests/support/TempDir.h"
#include "tests/support/VobBuilder.h"

namespace {

using Run = ChildRun;

}  // namespace

int main() {
  namespace fs = std::filesystem;
  TempDir temp;  // removed with the files on the way out
  const fs::path dir = temp.Path();
  const std::string big = (dir / "big.vob").string();
  const std::string copy = (dir / "copy.vob").string();
  const std::string out = (dir / "out.vob").string();
  int status = 0;
  if (!WriteMixedVobFile(big, 1024)) {
    std::fprintf(stderr, "bench_remap: cannot write the test file in %s\n", dir.c_str());
    status = 1;
  } else {
    // Entries 1 and 5 swap: every run in place changes the file again.
    const std::vector<std::string> remap = {VELMORAN_CLI_PATH, "--log-level", "2", "vob", "remap",
                                            big, "--entries", "1=5,5=1"};
    RunProgram({"cat", big});  // into the page cache
    // Every run starts with nothing left to write back, and a copy starts with no old file to
    // replace, so none pays for the one before it.
    const auto settled = [&](const std::vector<std::string>& command) {
      std::error_code ignored;
      fs::remove(copy, ignored);
      fs::remove(out, ignored);
      RunProgram({"sync"});
      return RunProgram(command);
    };
    std::vector<std::string> remapCopyCommand = remap;
    remapCopyCommand.insert(remapCopyCommand.end(), {"-o", out});
    long rssCopy = 0;
    long rssInPlace = 0;
    const auto seconds = [](const Run& r, long* rss) {
      if (rss != nullptr) *rss = std::max(*rss, r.maxRssKiB);
      return r.seconds;
    };
    const auto durableCopy = [&] {
      const Run c = settled({"cp", big, copy});
      const Run s = RunProgram({"sync", copy});
      return c.seconds < 0 || s.seconds < 0 ? -1.0 : c.seconds + s.seconds;
    };
    const PairedTimes toCp = TimePairs(5, [&] { return seconds(settled({"cp", big, copy}), nullptr); },
                                       [&] { return seconds(settled(remapCopyCommand), &rssCopy); });
    const PairedTimes toDurable = TimePairs(5, durableCopy,
                                            [&] { return seconds(settled(remap), &rssInPlace); });
    if (toCp.ratio < 0 || toDurable.ratio < 0) {
      std::fprintf(stderr, "bench_remap: a run failed\n");
      status = 1;
    } else {
      std::printf("vob remap benchmark (1 GiB mixed VOB from the page cache; medians of 5 pairs)\n");
      std::printf("  cp                          %.3f s\n", toCp.baseline);
      std::printf("  vob remap -o                %.3f s  median ratio to cp %.2f (goal <= 1.10) %s\n",
                  toCp.candidate, toCp.ratio, toCp.ratio <= 1.1 ? "ok" : "OVER");
      std::printf("  durable copy (cp, sync)     %.3f s\n", toDurable.baseline);
      std::printf("  vob remap in place          %.3f s  median ratio to durable copy %.2f (goal <= 1.3) %s\n",
                  toDurable.candidate, toDurable.ratio, toDurable.ratio <= 1.3 ? "ok" : "OVER");
      std::printf("  max RSS: remap -o %ld KiB, in place %ld KiB (goal < 20 MB)\n", rssCopy, rssInPlace);
    }
  }
  return status;
}
