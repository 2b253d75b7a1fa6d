// SPDX-License-Identifier: GPL-3.0-or-later
// Stand-ins that record what the documents send: log lines, progress calls, grid cells.
#include "tests/support/Recorders.h"

void ProgressRecorder::SetMaximum(std::int64_t maximum) {
  calls.push_back("max " + std::to_string(maximum));
}

void ProgressRecorder::SetPosition(std::int64_t position) {
  ++steps;
  lastPosition = position;
}

void ProgressRecorder::SetText(const std::string& text) { calls.push_back("text " + text); }

void ProgressRecorder::DisableMainWindow() {
  calls.push_back("disable");
  mainEnabled = false;
}

void ProgressRecorder::ShowWindow() {
  calls.push_back("show");
  windowShown = true;
}

void ProgressRecorder::HideWindow() {
  calls.push_back("hide");
  windowShown = false;
}

void ProgressRecorder::EnableMainWindow() {
  calls.push_back("enable");
  mainEnabled = true;
}

bool ProgressRecorder::EventWaiting() {
  ++lookUps;
  if (cancelAt_ > 0 && lookUps == cancelAt_) {
    clickWaiting_ = true;
    plainEvents_ += eventsAfter_;
  }
  return clickWaiting_ || plainEvents_ > 0 || quitQueued_;
}

bool ProgressRecorder::DispatchEvent() {
  ++dispatched;
  if (clickWaiting_) {
    clickWaiting_ = false;
    RequestCancel();  // the Cancel button's click handler
    return true;
  }
  if (plainEvents_ > 0) {
    --plainEvents_;
    return true;
  }
  quitQueued_ = false;
  return false;
}
