// SPDX-License-Identifier: GPL-3.0-or-later
// Progress and cancellation for long work: the progress window protocol and the message pump.
#include "core/Progress.h"

#include <csignal>
#include <cstdarg>

#include "core/Log.h"

namespace progress_detail {
ProgressHost* gHost = nullptr;
}  // namespace progress_detail

namespace {

using progress_detail::gHost;
volatile std::sig_atomic_t gCancelRequested = 0;

}  // namespace

ProgressHost* SetProgressHost(ProgressHost* host) {
  ProgressHost* previous = gHost;
  gHost = host;
  return previous;
}

void ProgressStart(std::int64_t maximum, const char* format, ...) {
  gCancelRequested = 0;
  ProgressHost* host = gHost;
  if (host == nullptr) return;
  host->SetMaximum(maximum);
  if (format != nullptr) {
    std::va_list args;
    va_start(args, format);
    host->SetText(FormatTextV(format, args));
    va_end(args);
  }
  host->DisableMainWindow();
  host->ShowWindow();
}

void ProgressStep(std::int64_t position, const char* format, ...) {
  ProgressHost* host = gHost;
  if (host == nullptr) return;
  host->SetPosition(position);
  if (format != nullptr) {
    std::va_list args;
    va_start(args, format);
    host->SetText(FormatTextV(format, args));
    va_end(args);
  }
}

void ProgressEnd() {
  ProgressHost* host = gHost;
  if (host == nullptr) return;
  host->HideWindow();
  host->EnableMainWindow();
}

bool progress_detail::PumpWaitingEvents(ProgressHost& host) {
  do {
    if (gCancelRequested != 0) return true;  // the waiting event stays queued
    if (!host.DispatchEvent()) return false;
  } while (host.EventWaiting());
  return false;
}

bool PumpMessages() { return PumpBlockMessages(); }

void RequestCancel() { gCancelRequested = 1; }

bool CancelRequested() { return gCancelRequested != 0; }
