// Shared pieces of velmoran-cli: exit codes, usage errors, argument parsing, log on stderr.
#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/EntryRemap.h"
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

// One option a command accepts: its name as typed ("-o", "--json"), whether it takes a value,
// and whether it may be given more than once.
struct OptionSpec {
  const char* name;
  bool takesValue = false;
  bool repeats = false;
};

// A command's words split into options and operands by ParseCommandLine.
class CommandLine {
 public:
  bool Has(const std::string& name) const { return options_.count(name) != 0; }
  // The value of an option given once; nullopt when it was not given.
  std::optional<std::string> Value(const std::string& name) const;
  // Every value of a repeatable option, in the order given.
  std::vector<std::string> Values(const std::string& name) const;
  // The value of an option that must be given; a usage error names it otherwise.
  std::string Required(const std::string& name, const std::string& shown) const;
  const Args& Operands() const { return operands_; }
  // The one operand, shown as `what` ("FILE") in the error when there is none or more.
  std::string OneOperand(const std::string& what) const;
  // Throws a usage error worded for this command.
  [[noreturn]] void Fail(const std::string& message) const;

 private:
  friend CommandLine ParseCommandLine(const Args&, const std::vector<OptionSpec>&,
                                      const std::string&);
  std::string command_;
  std::map<std::string, std::vector<std::string>> options_;
  Args operands_;
};

// The one rule for options, shared by every command: a word that starts with '-' and is longer
// than one character is an option, up to a word "--", after which every word is an operand
// ("-" alone is an operand too). An option's value is the next word, or what follows '=' in
// "--name=value". Unknown options, a missing value, a value given to an option that takes none
// and an option given twice that may not repeat are usage errors, each worded once and naming
// `command` ("sup remap").
CommandLine ParseCommandLine(const Args& args, const std::vector<OptionSpec>& options,
                             const std::string& command);

// The entry remap of --entries A=B[,A=B...] (required) and --contrast A=K[,A=K...]: each A
// (0-15) at most once per option, B and K in 0-15.
EntryMap EntryMapOptions(const CommandLine& line);

// A JSON string literal with the needed escapes.
std::string JsonString(const std::string& text);

// The usage text printed after a usage error and by --help.
extern const char* const kUsageText;
