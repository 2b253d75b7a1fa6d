// Shared pieces of velmoran-cli: exit codes, usage errors, argument parsing, log on stderr.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "core/Log.h"

using Args = std::vector<std::string>;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCancelled = 130;

constexpr int kDefaultCliLogLevel = 4;

// Thrown by argument parsing; main prints the message and the usage and exits with 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

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
  int LineCount() const override { return 0; }  // nothing is kept
  void DeleteLine(int) override {}
  void SelectLine(int) override {}

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

// A decimal integer in [low, high]; throws UsageError naming `what` otherwise.
int ParseInt(const std::string& text, int low, int high, const std::string& what);

// Exactly `count` comma-separated integers in [low, high].
std::vector<int> ParseIntList(const std::string& text, std::size_t count, int low, int high,
                              const std::string& what);

// Splits on commas; empty items are kept.
std::vector<std::string> SplitCommas(const std::string& text);

// Takes the value of option `name` at args[i + 1]; throws when it is missing. Advances i.
std::string TakeValue(const Args& args, std::size_t& i, const std::string& name);

// A JSON string literal with the needed escapes.
std::string JsonString(const std::string& text);

// The usage text printed after a usage error and by --help.
extern const char* const kUsageText;
