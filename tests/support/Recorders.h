// SPDX-License-Identifier: GPL-3.0-or-later
// Stand-ins that record what the documents send: log lines, progress calls, grid cells.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "core/Log.h"
#include "core/Progress.h"
#include "files/Tabs.h"

// A log target held in memory: the lines and a chosen level.
class LogRecorder : public LogTarget {
 public:
  explicit LogRecorder(int level = kLogAll) : level_(level) {}
  int ChosenLevel() const override { return level_; }
  void AppendLine(const std::string& line) override { lines_.push_back(line); }

  int LineCount() const { return static_cast<int>(lines_.size()); }
  void SetLevel(int level) { level_ = level; }
  const std::deque<std::string>& Lines() const { return lines_; }
  std::vector<std::string> LineList() const { return {lines_.begin(), lines_.end()}; }
  void Clear() { lines_.clear(); }

 private:
  int level_;
  std::deque<std::string> lines_;
};


// A host held in memory for tests: records every call but the steps (which it counts), and can
// play a Cancel click that waits in the queue at a chosen look-up.
class ProgressRecorder : public ProgressHost {
 public:
  void SetMaximum(std::int64_t maximum) override;
  void SetPosition(std::int64_t position) override;
  void SetText(const std::string& text) override;
  void DisableMainWindow() override;
  void ShowWindow() override;
  void HideWindow() override;
  void EnableMainWindow() override;
  bool EventWaiting() override;
  bool DispatchEvent() override;

  // At the n-th EventWaiting call (1-based, counted from construction) a Cancel click waits,
  // followed by `eventsAfter` more events (a repaint, say). 0 disables it.
  void CancelAtLookUp(std::int64_t n, int eventsAfter = 1) {
    cancelAt_ = n;
    eventsAfter_ = eventsAfter;
  }
  // Events waiting that do nothing when dispatched; a quit event ends the queue.
  void QueueEvents(int count) { plainEvents_ += count; }
  void QueueQuit() { quitQueued_ = true; }

  std::vector<std::string> calls;  // "max N", "text T", "disable", "show", "hide", "enable"
  std::int64_t steps = 0;
  std::int64_t lastPosition = -1;
  std::int64_t lookUps = 0;
  std::int64_t dispatched = 0;
  bool mainEnabled = true;
  bool windowShown = false;

 private:
  std::int64_t cancelAt_ = 0;
  int eventsAfter_ = 1;
  bool clickWaiting_ = false;
  int plainEvents_ = 0;
  bool quitQueued_ = false;
};

// Grid cells held in memory.
class GridCellValues : public PaletteGridCells {
 public:
  void SetGridCell(int column, int row, const std::string& text) override {
    if (column >= 0 && column < 32 && row >= 0 && row < 5) cells[row][column] = text;
  }
  std::array<std::array<std::string, 32>, 5> cells{};
};
