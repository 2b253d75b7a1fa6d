// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli vob scan: the VOB tab's scan, one file at a time, with Ctrl-C as its Cancel;
// vob remap: the entry remap of the subtitle units inside VOB files; vob extract: one stream's
// subtitles out to a SUP file or a VobSub pair.
#include <algorithm>
#include <array>
#include <cstdint>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "core/Log.h"
#include "core/Platform.h"
#include "core/Progress.h"
#include "core/Signals.h"
#include "files/DiscLayout.h"
#include "files/Filevob.h"
#include "files/VobExtract.h"
#include "files/VobRemap.h"

namespace {

// Set by the SIGINT handler: a Ctrl-C waiting to be "dispatched" like the window's Cancel click.
volatile std::sig_atomic_t gInterrupted = 0;

extern "C" void OnInterrupt(int) {
  gInterrupted = 1;
  RequestCancel();
}

// Installs the Ctrl-C handler for the life of the object. A second Ctrl-C kills as usual.
#ifdef _WIN32
// Windows resets a handler to the default before calling it, as SA_RESETHAND does.
class InterruptGuard {
 public:
  InterruptGuard() : previous_(std::signal(SIGINT, OnInterrupt)) {}
  ~InterruptGuard() { std::signal(SIGINT, previous_); }
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  void (*previous_)(int);
};
#else
class InterruptGuard {
 public:
  InterruptGuard() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, &previous_);
  }
  ~InterruptGuard() { sigaction(SIGINT, &previous_, nullptr); }
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  struct sigaction previous_ {};
};
#endif

// The progress window of the terminal: a bar on standard error when it is a terminal. A Ctrl-C
// is the only event; dispatching it requests the cancel, which a ProgressStart in between may
// have cleared. Log lines are written around the bar (StatusLine).
class TerminalProgress : public ProgressHost, public StatusLine {
 public:
  explicit TerminalProgress(bool draw) : draw_(draw) {}

  void SetMaximum(std::int64_t maximum) override {
    maximum_ = maximum;
    shown_ = -1;
  }
  void SetPosition(std::int64_t position) override {
    if (!draw_) return;
    // With no size known (a pipe) the bar shows activity: the mebibytes read so far.
    const int value =
        maximum_ < 0   ? static_cast<int>(position >> 20)
        : maximum_ > 0 ? static_cast<int>(static_cast<double>(position) * 1000.0 /
                                          static_cast<double>(maximum_))
                       : 0;
    if (value != shown_) Draw(value);
  }
  void SetText(const std::string& text) override { text_ = OneLine(text); }
  void DisableMainWindow() override {}
  void ShowWindow() override {
    if (draw_) Draw(0);
  }
  void HideWindow() override {
    Clear();
    shown_ = -1;
  }
  void EnableMainWindow() override {}
  bool EventWaiting() override { return gInterrupted != 0 || HeldSignals::Received() != 0; }
  bool DispatchEvent() override {
    RequestCancel();
    return true;
  }

  void Clear() override {
    if (drawn_) std::fputs("\r\033[K", stderr);
    drawn_ = false;
  }
  void Redraw() override {
    if (shown_ >= 0) Draw(shown_);
  }

 private:
  // `value`: per mille of the size, or mebibytes read when the size is unknown.
  void Draw(int value) {
    constexpr int kWidth = 30;
    if (maximum_ < 0) {
      std::string bar(kWidth, '-');
      bar.replace(static_cast<std::size_t>(value % (kWidth - 2)), 3, "<=>");
      std::fprintf(stderr, "\r[%s] %d MiB %s\033[K", bar.c_str(), value, text_.c_str());
    } else {
      const int filled = value * kWidth / 1000;
      std::string bar(static_cast<std::size_t>(filled), '#');
      bar.append(static_cast<std::size_t>(kWidth - filled), '-');
      std::fprintf(stderr, "\r[%s] %3d.%d%% %s\033[K", bar.c_str(), value / 10, value % 10,
                   text_.c_str());
    }
    std::fflush(stderr);
    shown_ = value;
    drawn_ = true;
  }

  bool draw_;
  bool drawn_ = false;  // the bar stands on the terminal's last line
  std::int64_t maximum_ = 0;
  int shown_ = -1;
  std::string text_;
};

// The bar of one run, the progress host and the log's status line while the run lasts; drawn
// when standard error is a terminal and --no-progress is not given.
struct TerminalRun {
  explicit TerminalRun(const CommandLine& line)
      : progress(IsTerminal(2) && !line.Has("--no-progress")) {}
  TerminalProgress progress;
  ScopedProgressHost host{&progress};
  StderrLog::ScopedStatusLine bar{&progress};
};

struct FileResult {
  std::string file;
  int subtitles = 0;
  VobUsage usage{};
  std::array<VobStreamUsage, kSubpictureStreams> streams{};
  std::vector<VobUnitFacts> units;
};

// 16 rows of four slots; null where no subtitle used the entry in that slot.
Json UsageJson(const VobUsage& usage) {
  Json rows = Json::array();
  for (int i = 0; i < 16; ++i) {
    Json row = Json::array();
    for (int s = 0; s < kSlotCount; ++s)
      row.push_back(usage[i][s] < 0 ? Json(nullptr) : Json(usage[i][s]));
    rows.push_back(row);
  }
  return rows;
}

void PrintText(const FileResult& r) {
  std::printf("file: %s\nsubtitles: %d\n", OneLine(r.file).c_str(), r.subtitles);
  for (int i = 0; i < 16; ++i) {
    std::printf("%02d", i);
    for (int s = 0; s < kSlotCount; ++s) {
      const int v = r.usage[i][s];
      if (v < 0) {
        std::printf("  -");
      } else {
        std::printf("%3d", v);
      }
    }
    std::printf("\n");
  }
}

Json UnitJson(const VobUnitFacts& unit) {
  return Json{{"stream", unit.stream},
              {"offset", unit.offset},
              {"pts", unit.pts ? Json(*unit.pts) : Json(nullptr)},
              {"cmd3", unit.cmd3},
              {"cmd4", unit.cmd4},
              {"size", unit.size},
              {"forced", unit.forced}};
}

Json FileJson(const FileResult& r, bool units) {
  Json streams = Json::array();
  for (int s = 0; s < kSubpictureStreams; ++s) {
    const VobStreamUsage& stream = r.streams[static_cast<std::size_t>(s)];
    if (stream.subtitles == 0 && stream.dropped == 0) continue;
    streams.push_back(Json{{"stream", s},
                           {"subtitles", stream.subtitles},
                           {"dropped", stream.dropped},
                           {"usage", UsageJson(stream.usage)}});
  }
  Json file = {{"file", r.file},
               {"subtitles", r.subtitles},
               {"usage", UsageJson(r.usage)},
               {"streams", streams}};
  if (units) {
    Json list = Json::array();
    for (const VobUnitFacts& unit : r.units) list.push_back(UnitJson(unit));
    file["units"] = list;
  }
  return file;
}

void PrintJson(const std::vector<FileResult>& results, bool units) {
  Json files = Json::array();
  for (const FileResult& r : results) files.push_back(FileJson(r, units));
  std::fputs((JsonText(Json{{"files", files}}) + "\n").c_str(), stdout);
}

// The operands with each folder standing for its VOB files in name order (a disc's root for
// its VIDEO_TS folder), or with `titlesOnly` for its title VOBs, title set by title set; parts
// given out of order put in order. False (logged) for a folder without any.
bool ExpandFolders(const Args& operands, bool titlesOnly, Args& files) {
  for (const std::string& operand : operands) {
    if (!IsFolder(operand)) {
      files.push_back(operand);
      continue;
    }
    std::vector<std::string> found;
    if (titlesOnly) {
      for (const std::vector<std::string>& group : TitleVobGroups(operand)) {
        found.insert(found.end(), group.begin(), group.end());
      }
    } else {
      found = FolderFiles(operand, ".VOB");
    }
    if (found.empty()) {
      LogMessage(kLogError, "ERROR - No VOB files in folder [%s]", operand.c_str());
      return false;
    }
    files.insert(files.end(), found.begin(), found.end());
  }
  files = OrderVobParts(files);
  return true;
}

int RunScan(const Args& args) {
  const CommandLine line = ParseCommandLine(args, "vob scan");
  const bool all = line.Has("--all");
  const bool json = line.Has("--json");
  const bool units = line.Has("--units");
  if (units && !json) line.Fail("--units needs --json");
  if (line.Operands().empty()) line.Fail("a VOB file is missing");
  Args files;
  if (!ExpandFolders(line.Operands(), false, files)) return kExitFailed;

  gInterrupted = 0;
  InterruptGuard guard;
  TerminalRun run(line);
  CFileVOB vob;
  std::vector<FileResult> results;
  vob.SetCollectUnits(units);
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string& file = files[i];
    if (gInterrupted != 0) return kExitCancelled;
    if (!vob.Open(file)) return kExitFailed;
    if (i + 1 < files.size() && IsNextVobPart(file, files[i + 1])) vob.SetNextPart(files[i + 1]);
    const int n = vob.Scan(!all);
    // A Ctrl-C after the scan's last look at it cancels too: no result of this file is printed.
    if (gInterrupted != 0 || (n < 0 && CancelRequested())) return kExitCancelled;
    if (n < 0) return kExitFailed;
    FileResult result{file, n, vob.Usage(), vob.StreamUsage(), vob.UnitFacts()};
    if (!json) {
      PrintText(result);
      FlushResults();
    }
    results.push_back(result);
  }
  if (json) PrintJson(results, units);
  return kExitOk;
}

int RunRemap(const Args& args) {
  const CommandLine line = ParseCommandLine(args, "vob remap");
  const EntryMap map = EntryMapOptions(line);
  const auto streamText = line.Value("--stream");
  const int stream = streamText ? ParseInt(*streamText, 0, kSubpictureStreams - 1, "--stream") : -1;
  const auto out = line.Value("-o");
  if (line.Operands().empty()) line.Fail("a VOB file is missing");
  Args files;
  if (!ExpandFolders(line.Operands(), true, files)) return kExitFailed;
  if (out && files.size() != 1) line.Fail("-o needs exactly one FILE");
  // Units are planned by file offset and written back where they stand: a pipe can't be.
  if (std::find(files.begin(), files.end(), "-") != files.end()) {
    line.Fail("standard input can't be remapped; give the VOB file");
  }
  const bool dryRun = line.Has("--dry-run");

  // Every signal that would end the program is held for the whole run: it cancels the run, which
  // puts back what it wrote (or drops the copy) before the program ends with 128 + the signal.
  gInterrupted = 0;
  HeldSignals held;
  TerminalRun run(line);
  VobRemap remap(map, stream);
  // A dry run plans only; "-o -" copies to a temporary file, then to standard output.
  const SaveTarget target(dryRun ? "" : out.value_or(""), false);
  const bool done = dryRun ? remap.Plan(files)
                    : out  ? remap.PlanAndWriteCopy(files.front(), target.Path())
                           : remap.Plan(files) && remap.WriteInPlace();
  if (HeldSignals::Received() != 0) return HeldSignals::ExitStatus();
  if (!done) return CancelRequested() ? kExitCancelled : kExitFailed;
  // With the copy on standard output, the report goes to standard error.
  std::FILE* report = out == "-" ? stderr : stdout;
  for (const VobFilePlan& plan : remap.Plans()) {
    if (dryRun) {
      PrintDryRun(plan.path, "remapped", static_cast<std::uint64_t>(plan.remapped),
                  plan.patches.size());
    } else {
      std::fprintf(report, "file: %s\nremapped: %d\n", OneLine(plan.path).c_str(), plan.remapped);
    }
  }
  return target.Finish() ? kExitOk : kExitFailed;
}

// Warns when the files belong to more than one title set: their times all count from the first.
void WarnSeveralTitleSets(const Args& files) {
  const DiscFile first = ClassifyDiscFile(files.front());
  for (const std::string& file : files) {
    const DiscFile disc = ClassifyDiscFile(file);
    if (disc.titleSet != first.titleSet || FolderPartOf(file) != FolderPartOf(files.front())) {
      LogMessage(kLogWarning, "WARNING - The files belong to more than one title set; times count "
                              "from the start of [%s]", files.front().c_str());
      return;
    }
  }
}

int RunExtract(const Args& args) {
  const CommandLine line = ParseCommandLine(args, "vob extract");
  const auto out = line.Value("-o");
  if (!out) line.Fail("-o OUT is missing");
  const bool toSup = *out == "-" || HasExtension(*out, ".sup");
  if (!toSup && !HasExtension(*out, ".idx")) line.Fail("OUT must end in .sup or .idx");
  if (line.Operands().empty()) line.Fail("a VOB file is missing");
  const auto streamText = line.Value("--stream");
  VobExtractOptions options;
  options.stream = streamText ? ParseInt(*streamText, 0, kSubpictureStreams - 1, "--stream") : -1;
  options.forcedOnly = line.Has("--forced-only");
  options.absolute = line.Has("--absolute");
  Args files;
  if (!ExpandFolders(line.Operands(), true, files)) return kExitFailed;
  WarnSeveralTitleSets(files);

  gInterrupted = 0;
  InterruptGuard guard;
  TerminalRun run(line);
  VobExtraction result;
  if (!ExtractVobStream(files, options, result)) {
    return gInterrupted != 0 || CancelRequested() ? kExitCancelled : kExitFailed;
  }
  if (gInterrupted != 0) return kExitCancelled;
  if (toSup) {
    const SaveTarget target(*out, false);
    if (!SaveSupUnits(target.Path(), result.units) || !target.Finish()) return kExitFailed;
  } else if (!SaveVobSubExtraction(*out, files.front(), result)) {
    return kExitFailed;
  }
  // With the SUP file on standard output, the report goes to standard error.
  std::fprintf(*out == "-" ? stderr : stdout, "stream: %d\nsubtitles: %d\n", result.stream,
               static_cast<int>(result.units.size()));
  return kExitOk;
}

}  // namespace

int RunVobCommand(const Args& args) {
  if (args.empty()) throw UsageError("vob: a subcommand is missing (scan, remap, pictures or extract)");
  const Args rest(args.begin() + 1, args.end());
  if (args[0] == "scan") return RunScan(rest);
  if (args[0] == "remap") return RunRemap(rest);
  if (args[0] == "pictures") return RunVobPictures(rest);
  if (args[0] == "extract") return RunExtract(rest);
  throw UsageError("vob: unknown subcommand '" + args[0] + "'");
}
