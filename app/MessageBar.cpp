// SPDX-License-Identifier: GPL-3.0-or-later
// The message bar: the errors and warnings of the user's last action, whatever the log level.
#include "app/MessageBar.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace {
constexpr int kTooltipLines = 20;  // the tooltip lists at most this many, the newest last
constexpr int kKeptLines = 1000;   // as many as the log list keeps; the counts go on
}

MessageBar::MessageBar(QWidget* parent, LogTarget& list, QWidget* watched)
    : QFrame(parent), list_(list), watched_(watched) {
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 0, 0, 0);
  layout->setSpacing(2);
  Text = new QLabel(this);
  Text->setTextFormat(Qt::PlainText);
  layout->addWidget(Text, 1);
  CloseButton = new QToolButton(this);
  CloseButton->setText(QString(QChar(0x00D7)));  // a multiplication sign as the close mark
  CloseButton->setAutoRaise(true);
  CloseButton->setToolTip("Hide these messages");
  layout->addWidget(CloseButton);
  connect(CloseButton, &QToolButton::clicked, this, [this] { hide(); });
  hide();
  qApp->installEventFilter(this);
}

int MessageBar::ChosenLevel() const { return list_.ChosenLevel(); }

void MessageBar::AppendLine(const std::string& line) { list_.AppendLine(line); }

void MessageBar::Notice(int level, const std::string& line) {
  if (fresh_) {
    lines_.clear();
    errors_ = 0;
    warnings_ = 0;
    fresh_ = false;
  }
  lines_ << QString::fromStdString(line);
  if (lines_.size() > kKeptLines) lines_.removeFirst();
  ++(level == kLogError ? errors_ : warnings_);
  ShowLines();
}

void MessageBar::ShowLines() {
  const int warnings = warnings_;
  QStringList counts;
  if (errors_ > 0) counts << QString("%1 error%2").arg(errors_).arg(errors_ == 1 ? "" : "s");
  if (warnings > 0) counts << QString("%1 warning%2").arg(warnings).arg(warnings == 1 ? "" : "s");
  // The counts say what kind the lines are: the newest is shown without its prefix.
  QString newest = lines_.last();
  for (const char* prefix : {"ERROR - ", "WARNING - "})
    if (newest.startsWith(prefix)) newest.remove(0, static_cast<int>(qstrlen(prefix)));
  const QString full = counts.join(", ") + ": " + newest;
  Text->setText(Text->fontMetrics().elidedText(full, Qt::ElideRight, qMax(40, Text->width())));
  Text->setProperty("fullText", full);
  const qsizetype shown = qMin<qsizetype>(lines_.size(), kTooltipLines);
  Text->setToolTip(lines_.mid(lines_.size() - shown).join('\n'));
  QPalette colours = palette();
  colours.setColor(QPalette::Window, errors_ > 0 ? QColor(0xFF, 0xD0, 0xD0) : QColor(0xFF, 0xF0, 0xB0));
  colours.setColor(QPalette::WindowText, Qt::black);
  setPalette(colours);
  show();
  raise();
}

void MessageBar::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  if (!lines_.isEmpty()) {
    Text->setText(Text->fontMetrics().elidedText(Text->property("fullText").toString(),
                                                 Qt::ElideRight, qMax(40, Text->width())));
  }
}

bool MessageBar::eventFilter(QObject* watched, QEvent* event) {
  // A press, a key or a drop inside the watched window begins the user's next action; input
  // to other windows (the progress window's Cancel) belongs to the action under way.
  const QEvent::Type type = event->type();
  if (type == QEvent::MouseButtonPress || type == QEvent::KeyPress || type == QEvent::Drop) {
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (widget != nullptr && widget->window() == watched_ && !isAncestorOf(widget) &&
        widget != this) {
      StartAction();
    }
  }
  return QFrame::eventFilter(watched, event);
}
