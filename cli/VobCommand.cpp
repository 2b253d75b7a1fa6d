// velmoran-cli vob scan: the VOB tab's scan, one file at a time, with Ctrl-C as its Cancel.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "core/Platform.h"
#include "core/Progress.h"
#include "files/Filevob.h"

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
// have cleared.
class TerminalProgress : public ProgressHost {
 public:
  explicit TerminalProgress(bool draw) : draw_(draw) {}

  void SetMaximum(std::int64_t maximum) override {
    maximum_ = maximum;
    shown_ = -1;
  }
  void SetPosition(std::int64_t position) override {
    if (!draw_) return;
    const int permille =
        maximum_ > 0 ? static_cast<int>(static_cast<double>(position) * 1000.0 /
                                        static_cast<double>(maximum_))
                     : 0;
    if (permille != shown_) Draw(permille);
  }
  void SetText(const std::string& text) override { text_ = text; }
  void DisableMainWindow() override {}
  void ShowWindow() override {
    if (draw_) Draw(0);
  }
  void HideWindow() override {
    if (draw_ && shown_ >= 0) std::fputs("\r\033[K", stderr);
    shown_ = -1;
  }
  void EnableMainWindow() override {}
  bool EventWaiting() override { return gInterrupted != 0; }
  bool DispatchEvent() override {
    RequestCancel();
    return true;
  }

 private:
  void Draw(int permille) {
    constexpr int kWidth = 30;
    const int filled = permille * kWidth / 1000;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kWidth - filled), '-');
    std::fprintf(stderr, "\r[%s] %3d.%d%% %s\033[K", bar.c_str(), permille / 10, permille % 10,
                 text_.c_str());
    std::fflush(stderr);
    shown_ = permille;
  }

  bool draw_;
  std::int64_t maximum_ = 0;
  int shown_ = -1;
  std::string text_;
};

struct FileResult {
  std::string file;
  int subtitles = 0;
  VobUsage usage{};
};

void PrintText(const FileResult& r) {
  std::printf("file: %s\nsubtitles: %d\n", r.file.c_str(), r.subtitles);
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

void PrintJson(const std::vector<FileResult>& results) {
  std::string out = "{\"files\": [";
  for (std::size_t f = 0; f < results.size(); ++f) {
    const FileResult& r = results[f];
    if (f > 0) out += ", ";
    out += "{\"file\": " + JsonString(r.file) + ", \"subtitles\": " + std::to_string(r.subtitles) +
           ", \"usage\": [";
    for (int i = 0; i < 16; ++i) {
      if (i > 0) out += ", ";
      out += "[";
      for (int s = 0; s < kSlotCount; ++s) {
        if (s > 0) out += ", ";
        const int v = r.usage[i][s];
        out += v < 0 ? "null" : std::to_string(v);
      }
      out += "]";
    }
    out += "]}";
  }
  out += "]}\n";
  std::fputs(out.c_str(), stdout);
}

int RunScan(const Args& args) {
  bool all = false;
  bool json = false;
  std::vector<std::string> files;
  bool optionsEnded = false;
  for (const std::string& a : args) {
    if (!optionsEnded && a == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && a == "--all") {
      all = true;
    } else if (!optionsEnded && a == "--json") {
      json = true;
    } else if (!optionsEnded && a.size() > 1 && a[0] == '-') {
      throw UsageError("vob scan: unknown option '" + a + "'");
    } else {
      files.push_back(a);
    }
  }
  if (files.empty()) throw UsageError("vob scan: a VOB file is missing");

  gInterrupted = 0;
  InterruptGuard guard;
  TerminalProgress progress(IsTerminal(2));
  ScopedProgressHost host(&progress);
  CFileVOB vob;
  std::vector<FileResult> results;
  for (const std::string& file : files) {
    if (gInterrupted != 0) return kExitCancelled;
    if (!vob.Open(file)) return kExitFailed;
    const int n = vob.Scan(!all);
    if (n < 0) return gInterrupted != 0 || CancelRequested() ? kExitCancelled : kExitFailed;
    FileResult result{file, n, vob.Usage()};
    if (!json) {
      PrintText(result);
      std::fflush(stdout);
    }
    results.push_back(result);
  }
  if (json) PrintJson(results);
  return kExitOk;
}

}  // namespace

int RunVobCommand(const Args& args) {
  if (args.empty()) throw UsageError("vob: a subcommand is missing (scan)");
  if (args[0] != "scan") throw UsageError("vob: unknown subcommand '" + args[0] + "'");
  return RunScan(Args(args.begin() + 1, args.end()));
}
