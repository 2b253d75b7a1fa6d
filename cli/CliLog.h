// velmoran-cli's log: the log lines on standard error, written around a status line.
#pragma once

#include <string>

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
// own: a status line that is drawn is cleared first and drawn again after.
class StderrLog : public LogTarget {
 public:
  explicit StderrLog(int level) : level_(level) {}
  int ChosenLevel() const override { return level_; }
  void AppendLine(const std::string& line) override;

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
  static inline StatusLine* status_ = nullptr;
  int level_;
};
