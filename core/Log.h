// SPDX-License-Identifier: GPL-3.0-or-later
// The log: levelled, printf-formatted lines appended to one registered list.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>
#include <vector>

// Message levels used by the program.
constexpr int kLogError = 2;
constexpr int kLogInfo = 3;
constexpr int kLogWarning = 4;
constexpr int kLogDetail = 5;
constexpr int kLogDebug = 6;
constexpr int kLogAll = 10;

// Where the log's lines go and the level chooser it reads: the window's log list (which keeps
// the newest lines), the CLI's standard error, or a recorder in tests.
class LogTarget {
 public:
  virtual ~LogTarget() = default;
  virtual int ChosenLevel() const = 0;  // -1 when no level is chosen
  virtual void AppendLine(const std::string& line) = 0;
  // Error and warning lines, whatever the chosen level: for a target that keeps them in view
  // apart from its filtered lines. Only asked of targets that keep notices.
  virtual bool KeepsNotices() const { return false; }
  virtual void Notice(int /*level*/, const std::string& /*line*/) {}
};

// Registers the target of LogMessage; nullptr makes the log silent. Returns the previous one.
LogTarget* SetLogTarget(LogTarget* target);

// Formats and appends one line when the chosen level is at least `level`. Nothing is formatted
// otherwise. The text is formatted at exactly its length, never cut, and kept on one line
// (OneLine).
void LogMessage(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
// True when LogMessage at `level` would append a line: for loops that check once, not per line.
bool LogWanted(int level);

// The text on one line: each control character (a newline or tab in a file name, an escape
// sequence) written as \n, \r, \t or \xHH; everything else unchanged. Log lines pass through it.
std::string OneLine(const std::string& text);

// printf into a std::string of exactly the needed length.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatTextV(const char* format, std::va_list args);

// Registers a target for the lifetime of this object and restores the previous one after.
class ScopedLogTarget {
 public:
  explicit ScopedLogTarget(LogTarget* target) : previous_(SetLogTarget(target)) {}
  ~ScopedLogTarget() { SetLogTarget(previous_); }
  ScopedLogTarget(const ScopedLogTarget&) = delete;
  ScopedLogTarget& operator=(const ScopedLogTarget&) = delete;

 private:
  LogTarget* previous_;
};
