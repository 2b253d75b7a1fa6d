// SPDX-License-Identifier: GPL-3.0-or-later
// What the program does on SIGINT, SIGTERM, SIGHUP and SIGQUIT (those of them the system has).
#pragma once

// From now on these signals first remove the temporary files of the saves under way
// (RemoveTemporaryFiles), then end the program as they would have.
void RemoveTemporaryFilesOnSignals();

// While an object lives, the signals are held: each is recorded and asks for a cancel
// (RequestCancel), so work that must not stop half-way (an in-place write, its put-back) ends
// its phase first; the first signal held then decides the exit status. The handlers in place
// before come back when it goes.
class HeldSignals {
 public:
  HeldSignals();
  ~HeldSignals();
  HeldSignals(const HeldSignals&) = delete;
  HeldSignals& operator=(const HeldSignals&) = delete;

  // The first signal held, 0 when none came.
  static int Received();
  // The exit status that says the signal ended the work: 128 + its number.
  static int ExitStatus() { return 128 + Received(); }
};
