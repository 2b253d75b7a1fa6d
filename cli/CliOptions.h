// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli's one rule for options: exit codes, usage errors, and a command's words split
// into options and operands.
#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using Args = std::vector<std::string>;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCancelled = 130;

// Thrown by argument parsing; main prints the message and the usage and exits with 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One option a command accepts: its name as typed ("-o", "--json"), whether it takes a value,
// whether it may be given more than once, the value's name in the usage ("OUT") and one
// sentence of help.
struct OptionSpec {
  const char* name;
  bool takesValue = false;
  bool repeats = false;
  const char* value = "";
  const char* help = "";
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
// "--name=value" and "-o=value". Unknown options, a missing value, a value given to an option that takes none
// and an option given twice that may not repeat are usage errors, each worded once and naming
// `command` ("sup remap"). The options of a command in the table must be listed there.
CommandLine ParseCommandLine(const Args& args, const std::vector<OptionSpec>& options,
                             const std::string& command);

// The same with the options of `command` ("sup show") from the command table.
CommandLine ParseCommandLine(const Args& args, const std::string& command);

// True when `--help` or `-h` stands among the options of `args` (before "--", and not as the
// value of an option that takes one).
bool AsksForHelp(const Args& args, const std::vector<OptionSpec>& options);
