// SPDX-License-Identifier: GPL-3.0-or-later
// The VOB scan in the window against the same scan under the command-line tool's host, and how
// soon a Cancel click stops a running scan. The VOB file (1 GiB, a subtitle unit every 128
// blocks) is made in memory-backed /dev/shm when there is one, and deleted after.
//
//   bench_vob_window [--grab DIR]   DIR: also save pictures of the window during and after a scan
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/PaletteGrid.h"
#include "app/QtProgressHost.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "core/Log.h"
#include "core/Progress.h"
#include "files/Filevob.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempDir.h"
#include "tests/support/VobBuilder.h"
#include "tests/support/app/ScriptedDialogs.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// CPU seconds of the whole process (all threads): less disturbed than wall time by other
// programs on the machine.
double CpuSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Cost {
  double wall = 0;
  double cpu = 0;
};

// The command-line tool's host with its bar off: a look-up is one read of a signal flag.
volatile std::sig_atomic_t gInterrupted = 0;
class CliHost : public ProgressHost {
 public:
  void SetMaximum(std::int64_t maximum) override { maximum_ = maximum; }
  void SetPosition(std::int64_t) override {}
  void SetText(const std::string&) override {}
  void DisableMainWindow() override {}
  void ShowWindow() override {}
  void HideWindow() override {}
  void EnableMainWindow() override {}
  bool EventWaiting() override { return gInterrupted != 0; }
  bool DispatchEvent() override {
    RequestCancel();
    return true;
  }

 private:
  std::int64_t maximum_ = 0;
};

// The window's host, noting when PumpMessages is about to report a cancel: the moment a look-up
// finds an event waiting while the flag is set.
class TimingHost : public QtProgressHost {
 public:
  using QtProgressHost::QtProgressHost;
  bool EventWaiting() override {
    const bool waiting = QtProgressHost::EventWaiting();
    if (waiting && CancelRequested() && reportedAt == Clock::time_point()) reportedAt = Clock::now();
    return waiting;
  }
  Clock::time_point reportedAt{};
};


double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0.0 : values[values.size() / 2];
}

// Main window, progress window and its host, as start-up makes them.
struct Window {
  explicit Window(const TempDir& folder)
      : form(folder.File("velmoran"), &dialogs), progress(&form), host(&progress, &form),
        scoped(&host) {
    form.show();
    form.SettingsTab().SettingsLogLevel->setCurrentIndex(kLogWarning);
    form.FileTypes()->setCurrentWidget(&form.Vob());
    form.Vob().FirstSubtitleVOB->setChecked(false);  // every subtitle: the whole file is read
    for (int i = 0; i < 16; ++i)
      form.SetPaletteColour(i,
                            MakeColour((i * 53) & 255, (i * 97 + 40) & 255, (i * 151 + 80) & 255));
    form.RepaintPalette();
    QCoreApplication::processEvents();
  }
  // Scans `path` as the user's pick: the cost from the click to the end of the run.
  Cost Scan(const std::string& path) {
    dialogs.AnswerFile(path);
    const double cpu = CpuSeconds();
    const auto start = Clock::now();
    form.Vob().FileOpenVOB->click();
    return {Seconds(Clock::now() - start), CpuSeconds() - cpu};
  }

  ScriptedDialogs dialogs;
  TMainForm form;
  TProgressForm progress;
  TimingHost host;
  ScopedProgressHost scoped;
};

Cost CliScan(const std::string& path, int* subtitles) {
  CliHost host;
  ScopedProgressHost scoped(&host);
  LogRecorder log(kLogWarning);  // the command-line tool's default level
  ScopedLogTarget scopedLog(&log);
  GridCellValues grid;
  CFileVOB vob;
  const double cpu = CpuSeconds();
  const auto start = Clock::now();
  if (!vob.Open(path)) return {};
  *subtitles = vob.Scan(false);
  vob.ShowVobGrid(grid);
  return {Seconds(Clock::now() - start), CpuSeconds() - cpu};
}

// The screen as the user sees it: a grab of the whole screen on a real display, else the main
// window with the progress window drawn over it where it stands.
QPixmap Picture(Window& w) {
  if (QGuiApplication::platformName() == "xcb") {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      const QRect area = w.form.frameGeometry().adjusted(-20, -20, 20, 20);
      return screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    }
  }
  QPixmap picture = w.form.grab();
  if (w.progress.isVisible()) {
    QPainter painter(&picture);
    painter.drawPixmap(w.progress.pos() - w.form.pos(), w.progress.grab());
  }
  return picture;
}

}  // namespace

int main(int argc, char** argv) {
  std::string grabDir;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::string(argv[i]) == "--grab") grabDir = argv[i + 1];
  if (std::getenv("DISPLAY") == nullptr || grabDir.empty()) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  SubstituteWindowFonts();

  namespace fs = std::filesystem;
  const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  std::string pattern = (base / "velmoran-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return 1;
  const fs::path dir = pattern;
  const std::string big = (dir / "big.vob").string();
  constexpr std::size_t kMegabytes = 1024;
  int status = 0;
  if (!WriteMixedVobFile(big, kMegabytes)) {
    std::fprintf(stderr, "bench_vob_window: cannot write the test file in %s\n", dir.c_str());
    status = 1;
  } else {
    TempDir settings;
    Window w(settings);

    // Scans in turn, so both see the same machine state; best and median of each, and the
    // median of the round-by-round ratios.
    int cliCount = 0;
    std::vector<double> windowTimes;
    std::vector<double> cliTimes;
    std::vector<double> windowCpu;
    std::vector<double> cliCpu;
    std::vector<double> pairRatios;
    for (int round = 0; round < 11; ++round) {
      // The order swaps every round, so neither side always runs first.
      Cost cli;
      Cost window;
      if (round % 2 == 0) {
        cli = CliScan(big, &cliCount);
        window = w.Scan(big);
      } else {
        window = w.Scan(big);
        cli = CliScan(big, &cliCount);
      }
      pairRatios.push_back(window.wall / std::max(cli.wall, 1e-9));
      cliTimes.push_back(cli.wall);
      cliCpu.push_back(cli.cpu);
      windowTimes.push_back(window.wall);
      windowCpu.push_back(window.cpu);
    }
    const QString found = w.form.Top().ColourPalette->Cell(3, 1);
    const bool grabbed = w.form.Vob().FileListVOB->count() == 1 && found == "15";

    // Cancel: a click arrives in the event queue while a scan runs (posted from another
    // thread, as the window system would deliver it), and PumpMessages must report it.
    std::vector<double> fromQueue;
    std::vector<double> fromDispatch;
    QPushButton* cancel = w.progress.ProgressCancel;
    Clock::time_point dispatchedAt{};
    QObject::connect(cancel, &QPushButton::clicked, [&] { dispatchedAt = Clock::now(); });
    // The clicks fall from 10 ms into the scan to three quarters of its median time, so that
    // each comes while it runs however fast the scan is.
    constexpr int kTrials = 25;
    const double clickStepMs =
        std::max(0.0, (0.75 * Median(windowTimes) * 1000.0 - 10.0) / kTrials);
    for (int trial = 0; trial < kTrials; ++trial) {
      w.host.reportedAt = {};
      dispatchedAt = {};
      std::atomic<Clock::rep> postedAt{0};
      // Widgets and events are made on this thread; the clicker thread only posts them.
      const QPointF at(cancel->width() / 2.0, cancel->height() / 2.0);
      const QPointF global = cancel->mapToGlobal(at);
      auto* press = new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                    Qt::LeftButton, Qt::NoModifier);
      auto* release = new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton,
                                      Qt::NoButton, Qt::NoModifier);
      std::thread clicker([&, trial, press, release] {
        std::this_thread::sleep_for(
            std::chrono::duration<double, std::milli>(10.0 + clickStepMs * trial));
        postedAt = Clock::now().time_since_epoch().count();
        QCoreApplication::postEvent(cancel, press);
        QCoreApplication::postEvent(cancel, release);
      });
      w.Scan(big);
      clicker.join();
      QCoreApplication::processEvents();  // a click that came after the scan goes nowhere
      if (w.host.reportedAt == Clock::time_point() || dispatchedAt == Clock::time_point()) {
        std::fprintf(stderr, "bench_vob_window: trial %d: the scan ended before the click\n", trial);
        status = 1;
        continue;
      }
      const Clock::time_point posted{Clock::duration(postedAt.load())};
      fromQueue.push_back(Seconds(w.host.reportedAt - posted) * 1000.0);
      fromDispatch.push_back(Seconds(w.host.reportedAt - dispatchedAt) * 1000.0);
    }

    const double cliBest = *std::min_element(cliTimes.begin(), cliTimes.end());
    const double windowBest = *std::min_element(windowTimes.begin(), windowTimes.end());
    const double gib = static_cast<double>(kMegabytes) / 1024.0;
    std::printf("VOB scan in the window (%zu MiB mixed VOB in %s, every subtitle, %d counted)\n",
                kMegabytes, base.c_str(), cliCount);
    std::printf("  scan, command-line host    best %.3f s  median %.3f s  %.2f GiB/s\n", cliBest,
                Median(cliTimes), gib / cliBest);
    std::printf("  scan, window (Qt host)     best %.3f s  median %.3f s  %.2f GiB/s\n", windowBest,
                Median(windowTimes), gib / windowBest);
    const double pairRatio = Median(pairRatios);
    std::printf("  window / command line      median of %zu pair ratios %.3f (goal <= 1.10) %s;  best %.3f\n",
                pairRatios.size(), pairRatio, pairRatio <= 1.1 ? "ok" : "OVER", windowBest / cliBest);
    const double cliCpuBest = *std::min_element(cliCpu.begin(), cliCpu.end());
    const double windowCpuBest = *std::min_element(windowCpu.begin(), windowCpu.end());
    std::printf("  CPU time: command line best %.3f s, window best %.3f s, ratio best %.3f  median %.3f\n",
                cliCpuBest, windowCpuBest, windowCpuBest / cliCpuBest, Median(windowCpu) / Median(cliCpu));
    std::printf("  grid after the scan        %s\n", grabbed ? "mapping shown" : "MAPPING MISSING");
    if (!fromQueue.empty()) {
      std::printf("  Cancel, click queued -> PumpMessages true   median %.1f ms  max %.1f ms  (goal < 100 ms, %zu runs)\n",
                  Median(fromQueue), *std::max_element(fromQueue.begin(), fromQueue.end()), fromQueue.size());
      std::printf("  Cancel, click handled -> PumpMessages true  median %.1f ms  max %.1f ms\n",
                  Median(fromDispatch), *std::max_element(fromDispatch.begin(), fromDispatch.end()));
    }
    if (!grabbed) status = 1;

    if (!grabDir.empty()) {
      // One picture while a scan runs, one after it.
      bool saved = false;
      QTimer::singleShot(200, &w.form, [&] {
        saved = Picture(w).save(QString::fromStdString(grabDir + "/vob-scan-running.png"));
      });
      w.Scan(big);
      QCoreApplication::processEvents();
      const bool after = Picture(w).save(QString::fromStdString(grabDir + "/vob-scan-done.png"));
      std::printf("  pictures in %s: %s\n", grabDir.c_str(), saved && after ? "saved" : "NOT SAVED");
    }
  }
  std::error_code ignored;
  fs::remove_all(dir, ignored);
  return status;
}
