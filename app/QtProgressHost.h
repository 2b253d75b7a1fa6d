// SPDX-License-Identifier: GPL-3.0-or-later
// The progress functions' host in the window: the progress form over a disabled main window.
#pragma once

#include <cstdint>

#include "core/Progress.h"

class QWidget;
class TProgressForm;

class QtProgressHost : public ProgressHost {
 public:
  // The bar runs from 0 to this; 64-bit positions are scaled onto it.
  static constexpr int kBarSteps = 10000;
  // Qt has no cheap "is an event waiting": events are processed at most this often, which
  // keeps the scan near its speed without the window while a Cancel click still takes effect
  // within two intervals.
  static constexpr int kPumpIntervalMs = 10;
  // The bar moves at most this often during a run: each move repaints it.
  static constexpr int kBarIntervalMs = 40;

  QtProgressHost(TProgressForm* form, QWidget* mainWindow);

  void SetMaximum(std::int64_t maximum) override;
  void SetPosition(std::int64_t position) override;
  void SetText(const std::string& text) override;
  void DisableMainWindow() override;
  void ShowWindow() override;
  void HideWindow() override;
  void EnableMainWindow() override;
  bool EventWaiting() override;
  bool DispatchEvent() override;

 private:
  TProgressForm* form_;
  QWidget* mainWindow_;
  std::int64_t maximum_ = 0;
  int shown_ = -1;
  bool barDue_ = true;  // the bar may take a new value
  PumpThrottle::Clock::time_point barSetAt_{};
  PumpThrottle throttle_{std::chrono::milliseconds(kPumpIntervalMs)};
};
