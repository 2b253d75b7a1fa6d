// SPDX-License-Identifier: GPL-3.0-or-later
// The message bar: the errors and warnings of the user's last action, whatever the log level.
#pragma once

#include <QFrame>
#include <QStringList>
#include <string>

#include "core/Log.h"

class QLabel;
class QToolButton;

// Stands between the log and the log list: every line goes on to the list, filtered by the
// chosen level as before; error and warning lines are also kept here, and the bar shows itself
// with their count and the newest line (all of them in its tooltip). A new user action (a
// click, a key, a drop on the window `watched`) starts a new collection; the close button
// hides the bar until the next notice.
class MessageBar : public QFrame, public LogTarget {
  Q_OBJECT

 public:
  MessageBar(QWidget* parent, LogTarget& list, QWidget* watched);

  // LogTarget
  int ChosenLevel() const override;
  void AppendLine(const std::string& line) override;
  bool KeepsNotices() const override { return true; }
  void Notice(int level, const std::string& line) override;

  // The next notice starts a new collection.
  void StartAction() { fresh_ = true; }
  // The lines of the collection, the newest last (at most the last 1000).
  const QStringList& Lines() const { return lines_; }
  bool HasError() const { return errors_ > 0; }

  QLabel* Text = nullptr;
  QToolButton* CloseButton = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ShowLines();

  LogTarget& list_;
  QWidget* watched_;
  QStringList lines_;
  int errors_ = 0;
  int warnings_ = 0;
  bool fresh_ = true;
};
