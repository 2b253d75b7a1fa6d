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

// Writes every log line that passes the chosen level to standard error.
class StderrLog : public LogTarget {
 public:
  explicit StderrLog(int level) : level_(level) {}
  int ChosenLevel() const override { return level_; }
  void AppendLine(const std::string& line) override;
  int LineCount() const override { return 0; }  // nothing is kept
  void DeleteLine(int) override {}
  void SelectLine(int) override {}

 private:
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
