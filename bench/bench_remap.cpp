// SPDX-License-Identifier: GPL-3.0-or-later
// vob remap of a 1 GiB VOB through velmoran-cli: -o against cp of the same file, in place against a
// durable copy (cp, then sync of the copy), and the remap's memory; files made here, deleted after.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "tests/support/VobBuilder.h"

namespace {

using Run = ChildRun;

// The best time of `runs`, and the largest resident set seen.
template <typename F>
Run BestRun(int runs, F f) {
  Run best{1e9, 0};
  for (int i = 0; i < runs; ++i) {
    const Run r = f();
    if (r.seconds < 0) return r;
    best.seconds = std::min(best.seconds, r.seconds);
    best.maxRssKiB = std::max(best.maxRssKiB, r.maxRssKiB);
  }
  return best;
}

}  // namespace

int main() {
  namespace fs = std::filesystem;
  std::string pattern = (fs::temp_directory_path() / "velmoran-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return 1;
  const fs::path dir = pattern;
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
    const Run cp = BestRun(3, [&] { return settled({"cp", big, copy}); });
    const Run remapCopy = BestRun(3, [&] { return settled(remapCopyCommand); });
    const Run durable = BestRun(3, [&] {
      const Run c = settled({"cp", big, copy});
      const Run s = RunProgram({"sync", copy});
      return c.seconds < 0 || s.seconds < 0 ? Run{} : Run{c.seconds + s.seconds, c.maxRssKiB};
    });
    const Run inPlace = BestRun(3, [&] { return settled(remap); });
    if (cp.seconds < 0 || remapCopy.seconds < 0 || durable.seconds < 0 || inPlace.seconds < 0) {
      std::fprintf(stderr, "bench_remap: a run failed\n");
      status = 1;
    } else {
      std::printf("vob remap benchmark (1 GiB mixed VOB from the page cache, best of 3)\n");
      std::printf("  cp                          %.3f s\n", cp.seconds);
      std::printf("  vob remap -o                %.3f s  ratio to cp %.2f (goal <= 1.3)\n",
                  remapCopy.seconds, remapCopy.seconds / cp.seconds);
      std::printf("  durable copy (cp, sync)     %.3f s\n", durable.seconds);
      std::printf("  vob remap in place          %.3f s  ratio to durable copy %.2f (goal <= 1.3)\n",
                  inPlace.seconds, inPlace.seconds / durable.seconds);
      std::printf("  max RSS: remap -o %ld KiB, in place %ld KiB (goal < 20 MB)\n",
                  remapCopy.maxRssKiB, inPlace.maxRssKiB);
    }
  }
  std::error_code ignored;
  fs::remove_all(dir, ignored);
  return status;
}
