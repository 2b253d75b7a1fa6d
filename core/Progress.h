// SPDX-License-Identifier: GPL-3.0-or-later
// Progress and cancellation for long work: the progress window protocol and the message pump.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// What the progress functions drive: the progress window and the main window in the program,
// a terminal bar in the CLI, a recorder in tests.
class ProgressHost {
 public:
  virtual ~ProgressHost() = default;
  // A negative maximum: the size of the work is unknown; the host shows activity, not a share.
  virtual void SetMaximum(std::int64_t maximum) = 0;
  virtual void SetPosition(std::int64_t position) = 0;
  virtual void SetText(const std::string& text) = 0;
  virtual void DisableMainWindow() = 0;
  virtual void ShowWindow() = 0;
  virtual void HideWindow() = 0;
  virtual void EnableMainWindow() = 0;
  // True when an event waits to be dispatched. Runs once per step of the work, so it must be
  // cheap; a host without a cheap look-up may answer from a clock (see PumpThrottle).
  virtual bool EventWaiting() = 0;
  // Dispatches what waits; false when that was the request to quit.
  virtual bool DispatchEvent() = 0;
};

// Registers the host of the progress functions; nullptr makes them idle. Returns the previous.
ProgressHost* SetProgressHost(ProgressHost* host);

// Clears the cancel flag, sets the maximum, sets the text when a format is given, disables the
// main window and shows the progress window, in this order.
void ProgressStart(std::int64_t maximum, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
// Sets the bar's position, and the text when a format is given.
void ProgressStep(std::int64_t position, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
// Hides the progress window and enables the main window.
void ProgressEnd();

// Dispatches waiting events; true when the user has asked to cancel. The flag is looked at
// only while an event is waiting; returns false at once when none is.
bool PumpMessages();

namespace progress_detail {
// The registered host (nullptr when none), read by the inline calls below.
extern ProgressHost* gHost;
// Dispatches events while the host says one waits, the first already said to: as PumpMessages.
bool PumpWaitingEvents(ProgressHost& host);
}  // namespace progress_detail

// ProgressStep without a text and PumpMessages, inline: a scan calls both for every 2 KiB
// block, and the calls themselves cost as much as the work when nothing waits.
inline void ProgressPosition(std::int64_t position) {
  if (ProgressHost* host = progress_detail::gHost) host->SetPosition(position);
}
inline bool PumpBlockMessages() {
  ProgressHost* host = progress_detail::gHost;
  return host != nullptr && host->EventWaiting() && progress_detail::PumpWaitingEvents(*host);
}

// Sets the cancel flag. Only writes one sig_atomic_t, so a signal handler may call it.
void RequestCancel();
// The cancel flag: set by RequestCancel, cleared only by ProgressStart.
bool CancelRequested();

// Registers a host for the lifetime of this object and restores the previous one after.
class ScopedProgressHost {
 public:
  explicit ScopedProgressHost(ProgressHost* host) : previous_(SetProgressHost(host)) {}
  ~ScopedProgressHost() { SetProgressHost(previous_); }
  ScopedProgressHost(const ScopedProgressHost&) = delete;
  ScopedProgressHost& operator=(const ScopedProgressHost&) = delete;

 private:
  ProgressHost* previous_;
};

// For hosts whose toolkit has no cheap "is an event waiting" look-up: answers yes once every
// `interval`, so events are processed in batches at most that often. The clock is read on every
// 16th question only (a clock read costs as much as a block's scan), so a step costs a counter
// increment; a Cancel click still takes effect within about two intervals.
class PumpThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr unsigned kQuestionsPerClockRead = 16;
  explicit PumpThrottle(Clock::duration interval = std::chrono::milliseconds(5))
      : interval_(interval), last_(Clock::now()) {}
  bool Due() {
    if (++questions_ % kQuestionsPerClockRead != 0) return false;
    return Clock::now() - last_ >= interval_;
  }
  void Reset() { last_ = Clock::now(); }

 private:
  Clock::duration interval_;
  Clock::time_point last_;
  unsigned questions_ = 0;
};
