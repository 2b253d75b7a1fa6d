// SPDX-License-Identifier: GPL-3.0-or-later
// The window's costs: drawing the sample preview (with the settings save that follows each
// change), repainting the whole palette grid, and starting up until the window is shown.
// Each figure is also given as a ratio to a baseline, filling the preview picture once.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/PaletteGrid.h"
#include "app/Unit1.h"
#include "bench/BenchSupport.h"
#include "tests/support/TempDir.h"
#include "tests/support/app/ScriptedDialogs.h"

namespace {

double gBaselineNs = 1.0;

// Median time of filling an 841 x 89 picture, measured once before the benchmarks.
double MeasureBaseline() {
  QImage picture(841, 89, QImage::Format_RGB32);
  std::vector<qint64> times;
  for (int i = 0; i < 201; ++i) {
    QElapsedTimer timer;
    timer.start();
    QPainter painter(&picture);
    painter.fillRect(picture.rect(), QColor(i & 0xFF, 0, 0));
    painter.end();
    times.push_back(timer.nsecsElapsed());
  }
  std::nth_element(times.begin(), times.begin() + 100, times.end());
  return std::max<double>(1.0, static_cast<double>(times[100]));
}

void ReportRatio(benchmark::State& state) {
  // time / (iterations x baseline): how many baseline fills one iteration costs.
  state.counters["x_baseline"] = benchmark::Counter(
      gBaselineNs * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void SetPalette(TMainForm& form) {
  for (int i = 0; i < 16; ++i) form.SetPaletteColour(i, MakeColour(i * 16, 255 - i * 16, i * 8));
  for (int slot = 0; slot < 4; ++slot) form.Sup().SetMapIndex(slot, slot);
}

void BM_RenderSampleAndSave(benchmark::State& state) {
  TempDir folder;
  ScriptedDialogs dialogs;
  TMainForm form(folder.File("velmoran"), &dialogs);
  form.show();
  SetPalette(form);
  for (auto _ : state) {
    form.RenderSample();
    form.IniSettings().SaveSettings();
  }
  ReportRatio(state);
}
BENCHMARK(BM_RenderSampleAndSave)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

void BM_RenderSampleOnly(benchmark::State& state) {
  TempDir folder;
  ScriptedDialogs dialogs;
  TMainForm form(folder.File("velmoran"), &dialogs);
  form.show();
  SetPalette(form);
  for (auto _ : state) form.RenderSample();
  ReportRatio(state);
}
BENCHMARK(BM_RenderSampleOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

void BM_GridRepaint(benchmark::State& state) {
  TempDir folder;
  ScriptedDialogs dialogs;
  TMainForm form(folder.File("velmoran"), &dialogs);
  form.show();
  SetPalette(form);
  form.DefaultSUPClick();
  QImage target(644, 121, QImage::Format_RGB32);
  for (auto _ : state) form.Top().ColourPalette->render(&target);
  ReportRatio(state);
}
BENCHMARK(BM_GridRepaint)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

// From constructing the window (first start: the settings file is written) to its first
// showing with settings loaded and the preview drawn.
void BM_StartToShown(benchmark::State& state) {
  ScriptedDialogs dialogs;
  for (auto _ : state) {
    state.PauseTiming();
    auto* folder = new TempDir;
    state.ResumeTiming();
    {
      TMainForm form(folder->File("velmoran"), &dialogs);
      form.show();
      QCoreApplication::processEvents();
      state.PauseTiming();
    }
    delete folder;
    state.ResumeTiming();
  }
  ReportRatio(state);
}
BENCHMARK(BM_StartToShown)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

// The preview redraw after a colour change and the baseline fill, timed in turn: the median of
// the pair-by-pair ratios, printed after the benchmarks.
void PairedRedraw() {
  TempDir folder;
  ScriptedDialogs dialogs;
  TMainForm form(folder.File("velmoran"), &dialogs);
  form.show();
  SetPalette(form);
  QImage picture(841, 89, QImage::Format_RGB32);
  int round = 0;
  const auto fill = [&] {
    const auto start = BenchClock::now();
    QPainter painter(&picture);
    painter.fillRect(picture.rect(), QColor(round & 0xFF, 0, 0));
    painter.end();
    return Seconds(start);
  };
  const auto redraw = [&] {
    form.SetPaletteColour(round % 16, MakeColour(round & 0xFF, 128, 64));
    const auto start = BenchClock::now();
    form.RenderSample();
    ++round;
    return Seconds(start);
  };
  const PairedTimes t = TimePairs(201, fill, redraw);
  std::printf("Preview redraw after a colour change: median %.3f ms (goal under 1 ms) %s; median %.2f x "
              "the baseline fill (%.3f ms), 201 pairs\n",
              t.candidate * 1e3, t.candidate < 1e-3 ? "ok" : "OVER", t.ratio, t.baseline * 1e3);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  SubstituteWindowFonts();
  gBaselineNs = MeasureBaseline();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PairedRedraw();
  return 0;
}
