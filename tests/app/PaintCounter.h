// SPDX-License-Identifier: GPL-3.0-or-later
// Counts the paint events of a widget it is installed on, to see whether something was redrawn.
#pragma once

#include <QEvent>
#include <QObject>

// Counts the paint events of a widget.
class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};
