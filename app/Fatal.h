// SPDX-License-Identifier: GPL-3.0-or-later
// Running the program's body so that a fatal error ends it with a failure exit code.
#pragma once

#include <QString>
#include <functional>

// The exit code after a fatal error.
inline constexpr int kExitFatal = 1;

// Runs `body` and returns its exit code. An exception that escapes it (start-up, or the event
// loop itself: a handler's exception is caught and shown where it happens) is fatal: its
// message goes to `show` (empty when it has none) and the result is kExitFatal.
int RunCatchingFatal(const std::function<int()>& body,
                     const std::function<void(const QString&)>& show);
