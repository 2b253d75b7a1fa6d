// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a program and captures what it writes, for end-to-end tests of the executables.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct ProcessResult {
  int exitStatus = -1;  // the exit code, or 128 + the signal number when a signal ended it
  bool timedOut = false;
  std::string out;  // standard output
  std::string err;  // standard error
};

struct ProcessOptions {
  // What the program reads on standard input: nothing (/dev/null) by default, the given text,
  // or, with closeStdin, no standard input at all.
  std::optional<std::string> input;
  bool closeStdin = false;
  // Extra environment entries "NAME=value", added to (or replacing in) the inherited ones.
  std::vector<std::string> environment;
  // The program is killed after this many seconds; timedOut then says so.
  int timeoutSeconds = 60;
  // When given, SIGINT is sent once, as soon as this returns true for the standard error read
  // so far (a Ctrl-C at a chosen moment).
  std::function<bool(const std::string& err)> interruptWhen;
  // When set, standard error is a one-page pipe that already holds all but this many bytes and
  // is left unread until the program waits to write more; then SIGINT is sent (a Ctrl-C that
  // lands exactly at a chosen line). The filling is not part of `err`.
  std::optional<std::size_t> interruptAtStderrRoom;
  // The signals sent, in turn, in place of the one SIGINT (empty: SIGINT).
  std::vector<int> interruptSignals;
};

// Runs argv[0] (looked up in PATH when it holds no '/') with the arguments argv[1...] and waits
// for it. Throws std::runtime_error only when the program cannot be started at all.
ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});
