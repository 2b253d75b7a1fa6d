// SPDX-License-Identifier: GPL-3.0-or-later
// The progress functions' host in the window: the progress form over a disabled main window.
#include "app/QtProgressHost.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QWidget>

#include "app/Unit2.h"

QtProgressHost::QtProgressHost(TProgressForm* form, QWidget* mainWindow)
    : form_(form), mainWindow_(mainWindow) {}

void QtProgressHost::SetMaximum(std::int64_t maximum) {
  maximum_ = maximum;
  shown_ = -1;
  barDue_ = true;
  // An unknown size (a pipe) shows the bar's busy animation instead of a share.
  form_->ProgressBar->setRange(0, maximum < 0 ? 0 : kBarSteps);
}

void QtProgressHost::SetPosition(std::int64_t position) {
  // Called once per block. Setting the bar's value repaints it at once, which costs as much as
  // scanning a few hundred blocks; so the bar takes a new value on the first step of a run and
  // then at most once per kBarIntervalMs (looked at when events are pumped), and only when the
  // value changes.
  if (!barDue_) return;
  int value = 0;
  if (maximum_ > 0 && position > 0) {
    value = position >= maximum_ ? kBarSteps
                                 : static_cast<int>(static_cast<double>(position) * kBarSteps /
                                                    static_cast<double>(maximum_));
  }
  if (value != shown_) {
    form_->ProgressBar->setValue(value);
    shown_ = value;
    barDue_ = false;
  }
}

void QtProgressHost::SetText(const std::string& text) {
  form_->ProgressInfo->setPlainText(QString::fromStdString(text));
}

void QtProgressHost::DisableMainWindow() {
  if (mainWindow_ == nullptr) return;
  mainWindow_->setEnabled(false);
  // Disabling a widget disables its child windows too; the progress form must stay usable.
  form_->setEnabled(true);
}

void QtProgressHost::ShowWindow() {
  if (mainWindow_ != nullptr && mainWindow_->isVisible()) {
    const QRect area = mainWindow_->frameGeometry();
    form_->move(area.center() - form_->rect().center());
  }
  form_->show();
  throttle_.Reset();
}

void QtProgressHost::HideWindow() { form_->hide(); }

void QtProgressHost::EnableMainWindow() {
  if (mainWindow_ != nullptr) mainWindow_->setEnabled(true);
}

bool QtProgressHost::EventWaiting() { return throttle_.Due(); }

bool QtProgressHost::DispatchEvent() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  throttle_.Reset();
  const auto now = PumpThrottle::Clock::now();
  if (now - barSetAt_ >= std::chrono::milliseconds(kBarIntervalMs)) {
    barDue_ = true;
    barSetAt_ = now;
  }
  return !QCoreApplication::closingDown();
}
