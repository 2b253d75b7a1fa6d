// SPDX-License-Identifier: GPL-3.0-or-later
// The Settings tab: the log-level list and the help text.
#pragma once

#include <QWidget>

class QComboBox;
class QPlainTextEdit;
class QTabWidget;

class SettingsPage : public QWidget {
  Q_OBJECT

 public:
  // The page is the tab "Settings" of `tabs`.
  explicit SettingsPage(QTabWidget* tabs);

  // The chosen level, 0-10, or -1 when none is chosen (the log is then silent).
  int LogLevel() const;
  // A value outside 0-10 chooses none. Setting it from code is no pick: nothing is saved.
  void SetLogLevel(int level);

  QComboBox* SettingsLogLevel = nullptr;
  QPlainTextEdit* MemoSettings = nullptr;
};
