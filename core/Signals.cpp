// SPDX-License-Identifier: GPL-3.0-or-later
// What the program does on SIGINT, SIGTERM, SIGHUP and SIGQUIT.
#include "core/Signals.h"

#include <csignal>

#include "core/FileIO.h"
#include "core/Progress.h"

namespace {

// The signals a user or the system sends to end a program; SIGKILL can't be caught.
constexpr int kSignals[] = {
    SIGINT, SIGTERM,
#ifdef SIGHUP
    SIGHUP,
#endif
#ifdef SIGQUIT
    SIGQUIT,
#endif
};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];

volatile std::sig_atomic_t gHeld = 0;

extern "C" void RemoveAndEnd(int signal) {
  RemoveTemporaryFiles();
  std::signal(signal, SIG_DFL);
  std::raise(signal);  // delivered once this handler returns (POSIX), or at once (Windows)
}

extern "C" void Hold(int signal) {
  if (gHeld == 0) gHeld = signal;
  RequestCancel();
#ifdef _WIN32
  std::signal(signal, Hold);  // Windows resets the handler before calling it
#endif
}

#ifdef _WIN32
using Previous = void (*)(int);
void Install(int signal, void (*handler)(int), Previous& previous) { previous = std::signal(signal, handler); }
void Restore(int signal, const Previous& previous) { std::signal(signal, previous); }
#else
using Previous = struct sigaction;
void Install(int signal, void (*handler)(int), Previous& previous) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  for (const int other : kSignals) sigaddset(&action.sa_mask, other);
  action.sa_flags = SA_RESTART;
  sigaction(signal, &action, &previous);
}
void Restore(int signal, const Previous& previous) { sigaction(signal, &previous, nullptr); }
#endif

Previous gPrevious[kSignalCount];

}  // namespace

void RemoveTemporaryFilesOnSignals() {
  Previous unused[kSignalCount];
  for (int i = 0; i < kSignalCount; ++i) Install(kSignals[i], RemoveAndEnd, unused[i]);
}

HeldSignals::HeldSignals() {
  gHeld = 0;
  for (int i = 0; i < kSignalCount; ++i) Install(kSignals[i], Hold, gPrevious[i]);
}

HeldSignals::~HeldSignals() {
  for (int i = 0; i < kSignalCount; ++i) Restore(kSignals[i], gPrevious[i]);
}

int HeldSignals::Received() { return gHeld; }
