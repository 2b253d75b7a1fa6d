// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli's log: the log lines on standard error, written around a status line.
#pragma once

#include <string>
#include <utility>

#include "core/Log.h"

constexpr int kDefaultCliLogLevel = 4;

// Flushes the results written so far to standard output; the reason of the first failure is
// kept for the check at the end (a later flush no longer knows it).
void FlushResults();
// The system's reason of the first failed flush of standard output, or 0.
int FirstResultsError();

// A line kept drawn on standard error, such as a progress bar, that log lines must not run into.
class StatusLine {
 public:
  virtual ~StatusLine() = default;
  virtual void Clear() = 0;   // takes the line off the terminal when it is drawn
  virtual void Redraw() = 0;  // draws it again when it was drawn before Clear
};

// Writes every log line that passes the chosen level to standard error, each on a line of its
// own: a status line that is drawn is cleared first and drawn again after. A line that says a
// file can't be opened, read, created or written to ("... Can't open [FILE]") is followed by
// one more, "velmoran-cli: FILE: REASON", with the system's reason. The last error line is kept
// for --json, even when the chosen level hides it.
class StderrLog : public LogTarget {
 public:
  explicit StderrLog(int level) : level_(level) {}
  int ChosenLevel() const override { return level_ < kLogError ? kLogError : level_; }
  void AppendLine(const std::string& line) override;

  // Log lines that name the temporary file `path` (a save to standard output or a dry run's
  // save), for the lifetime of this object: they show `shown` in its place, or are left out
  // when `shown` is empty (a dry run writes nothing, so says nothing about writing).
  class ScopedStandIn {
   public:
    ScopedStandIn(std::string path, std::string shown) {
      standIn_ = std::move(path);
      standInShown_ = std::move(shown);
    }
    ~ScopedStandIn() { standIn_.clear(); }
    ScopedStandIn(const ScopedStandIn&) = delete;
    ScopedStandIn& operator=(const ScopedStandIn&) = delete;
  };

  // The last error line with its reason, and the file it names ("" for none).
  const std::string& LastError() const { return lastError_; }
  const std::string& LastErrorFile() const { return lastErrorFile_; }

  // The status line log lines are written around, for the lifetime of this object.
  class ScopedStatusLine {
   public:
    explicit ScopedStatusLine(StatusLine* line) : previous_(status_) { status_ = line; }
    ~ScopedStatusLine() { status_ = previous_; }
    ScopedStatusLine(const ScopedStatusLine&) = delete;
    ScopedStatusLine& operator=(const ScopedStatusLine&) = delete;

   private:
    StatusLine* previous_;
  };

 private:
  void Write(const std::string& line);

  static inline StatusLine* status_ = nullptr;
  static inline std::string standIn_;
  static inline std::string standInShown_;
  int level_;
  std::string lastError_;
  std::string lastErrorFile_;
};
