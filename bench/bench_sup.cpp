// SPDX-License-Identifier: GPL-3.0-or-later
// Load, remap (by slot and by palette entry) and save of a large SUP file, against copying the
// same file, and the peak memory of each.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "core/EntryRemap.h"
#include "core/FileIO.h"
#include "files/Filesup.h"
#include "files/Tabs.h"
#include "tests/support/SupBuilder.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int kPackets = 40000;  // about 100 MB with the picture sizes below
constexpr double kMiB = 1024.0 * 1024.0;

struct Files {
  TempDir dir;
  std::string source = dir.File("source.sup");
  std::size_t size = 0;
};
Files* gFiles = nullptr;

// Writes the SUP file and keeps nothing of it in memory.
std::size_t WriteLargeSup(const std::string& path) {
  SupBuilder builder;
  builder.Marker();
  for (int i = 0; i < kPackets; ++i) {
    // Pictures of 1.5 to 3.5 KB, as a line or two of subtitle text codes to; some subtitles
    // change colours in a later sequence or in regions of a change command.
    SupPacket packet = {.colour = 0x3210 + (i % 7), .contrastFirst = i % 5 == 0,
                        .pictureBytes = 1500 + static_cast<std::size_t>(i * 7919 % 2000)};
    if (i % 11 == 0) packet.change = {{400, 420, {{100, 0x4321, 0xFFF0}, {300, 0x1234, 0x0FF0}}}};
    if (i % 13 == 0) packet.later = {{0x03, 0x01, 0x23, 0xFF}, {0x02, 0xFF}};
    builder.Add(packet);
  }
  const Bytes bytes = builder.Build();
  WriteFileBytes(path, bytes);
  return bytes.size();
}

bool LoadRemapSave(const std::string& source, const std::string& target, int variant) {
  SupTabValues tab;
  tab.map = {variant % 16, 1, 2, 3};
  tab.intensity = {0, 15, 15, 15};
  CFileSUP sup(tab);
  return sup.Load(source) > 0 && sup.Save(target);
}

bool LoadEntryRemapSave(const std::string& source, const std::string& target, int variant) {
  SupTabValues tab;
  CFileSUP sup(tab);
  EntryMap map;
  for (int i = 0; i < 16; ++i) map.entry[i] = (i + variant) % 16;
  map.contrast[variant % 16] = 9;
  return sup.Load(source) > 0 && sup.SaveEntryRemap(target, map);
}

void BM_LoadEntryRemapSave(benchmark::State& state) {
  int variant = 0;
  for (auto _ : state) {
    if (!LoadEntryRemapSave(gFiles->source, gFiles->dir.File("entries.sup"), ++variant)) {
      state.SkipWithError("load or entry remap failed");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(gFiles->size));
}

void BM_LoadRemapSave(benchmark::State& state) {
  int variant = 0;
  for (auto _ : state) {
    if (!LoadRemapSave(gFiles->source, gFiles->dir.File("remapped.sup"), ++variant)) {
      state.SkipWithError("load or save failed");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(gFiles->size));
}

// Baseline with the same durability as a save: read whole, write a temporary file, flush it,
// rename it into place.
void BM_CopyFlushed(benchmark::State& state) {
  std::vector<std::uint8_t> bytes;
  for (auto _ : state) {
    if (ReadWholeFile(gFiles->source, bytes, CFileSUP::kMaxFileSize) != ReadResult::kOk ||
        SaveFileAtomically(gFiles->dir.File("copy-flushed.sup"), bytes) != SaveResult::kOk) {
      state.SkipWithError("copy failed");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(gFiles->size));
}

// Baseline without a flush: read whole, write, close.
void BM_CopyPlain(benchmark::State& state) {
  std::vector<std::uint8_t> bytes;
  const std::string target = gFiles->dir.File("copy-plain.sup");
  for (auto _ : state) {
    bool ok = ReadWholeFile(gFiles->source, bytes, CFileSUP::kMaxFileSize) == ReadResult::kOk;
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
      const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
      ok = put > 0;
      done += ok ? static_cast<std::size_t>(put) : 0;
    }
    if (fd < 0 || ::close(fd) != 0 || !ok) {
      state.SkipWithError("copy failed");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(gFiles->size));
}

BENCHMARK(BM_CopyPlain)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_CopyFlushed)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_LoadRemapSave)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_LoadEntryRemapSave)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Keeps each benchmark's mean real time per iteration for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (!run.error_occurred) times[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

long RssKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  }
  return -1;
}

// Runs `work` in a child, so that its peak resident size is that work's alone (plus the small
// process it starts from). Reports the peak and the child's starting size.
bool MeasurePeak(bool (*work)(const std::string&, const std::string&, int), long& peakKiB, long& startKiB) {
  int channel[2];
  if (::pipe(channel) != 0) return false;
  const pid_t pid = ::fork();
  if (pid < 0) return false;
  if (pid == 0) {
    ::close(channel[0]);
    const long start = RssKiB("VmRSS:");
    [[maybe_unused]] const ssize_t put = ::write(channel[1], &start, sizeof start);
    const bool ok = work(gFiles->source, gFiles->dir.File("peak.sup"), 1);
    ::_exit(ok ? 0 : 1);
  }
  ::close(channel[1]);
  startKiB = -1;
  if (::read(channel[0], &startKiB, sizeof startKiB) != sizeof startKiB) startKiB = -1;
  ::close(channel[0]);
  int status = 0;
  rusage usage {};
  if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return false;
  }
  peakKiB = usage.ru_maxrss;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  auto files = std::make_unique<Files>();
  gFiles = files.get();
  files->size = WriteLargeSup(files->source);
  const double fileMiB = static_cast<double>(files->size) / kMiB;
  std::printf("SUP file: %d subtitles, %.1f MiB\n", kPackets, fileMiB);

  // Before any benchmark, while this process holds nothing large.
  for (const auto& [name, work] : {std::pair{"load+remap+save", &LoadRemapSave},
                                   std::pair{"load+entry remap+save", &LoadEntryRemapSave}}) {
    long peakKiB = 0;
    long startKiB = 0;
    if (!MeasurePeak(work, peakKiB, startKiB)) {
      std::printf("Peak memory of %s: the measuring child failed\n", name);
      continue;
    }
    const double peakMiB = static_cast<double>(peakKiB) / 1024.0;
    const double startMiB = static_cast<double>(startKiB) / 1024.0;
    std::printf("Peak memory of %s: %.1f MiB (process start %.1f MiB, work %.1f MiB);"
                " over the file size: %.1f MiB (goal at most 20) %s\n",
                name, peakMiB, startMiB, peakMiB - startMiB, peakMiB - fileMiB,
                peakMiB - fileMiB <= 20.0 ? "ok" : "OVER");
  }

  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  const auto& t = reporter.times;
  if (t.count("BM_LoadRemapSave") && t.count("BM_CopyFlushed") && t.count("BM_CopyPlain")) {
    const double flushed = t.at("BM_LoadRemapSave") / t.at("BM_CopyFlushed");
    const double plain = t.at("BM_LoadRemapSave") / t.at("BM_CopyPlain");
    std::printf("load+remap+save / flushed copy = %.2f (goal at most 2.00) %s\n", flushed,
                flushed <= 2.0 ? "ok" : "OVER");
    std::printf("load+remap+save / plain copy   = %.2f\n", plain);
  }
  if (t.count("BM_LoadEntryRemapSave") && t.count("BM_CopyFlushed")) {
    const double entries = t.at("BM_LoadEntryRemapSave") / t.at("BM_CopyFlushed");
    std::printf("load+entry remap+save / flushed copy = %.2f (goal at most 1.20) %s\n", entries,
                entries <= 1.2 ? "ok" : "OVER");
  }
  return 0;
}
