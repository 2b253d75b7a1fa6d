// SPDX-License-Identifier: GPL-3.0-or-later
// The log list below the tabs: where the log's lines go in the window.
#pragma once

#include <QListWidget>
#include <functional>
#include <string>

#include "core/Log.h"

// At most kMaxLogLines are kept, the oldest going first; the newest line is selected and
// scrolled into view. The chosen level comes from `chosenLevel` (the Settings tab's list).
class LogList : public QListWidget, public LogTarget {
  Q_OBJECT

 public:
  static constexpr int kMaxLogLines = 1000;

  LogList(QWidget* parent, std::function<int()> chosenLevel);

  // LogTarget
  int ChosenLevel() const override;
  void AppendLine(const std::string& line) override;

 private:
  std::function<int()> chosenLevel_;
};
