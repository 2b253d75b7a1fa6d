// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli's one rule for options: a command's words split into options and operands.
#include "cli/CliOptions.h"

#include <algorithm>

#include "cli/CliUsage.h"

std::optional<std::string> CommandLine::Value(const std::string& name) const {
  const auto found = options_.find(name);
  if (found == options_.end() || found->second.empty()) return std::nullopt;
  return found->second.front();
}

std::vector<std::string> CommandLine::Values(const std::string& name) const {
  const auto found = options_.find(name);
  return found == options_.end() ? std::vector<std::string>{} : found->second;
}

std::string CommandLine::Required(const std::string& name, const std::string& shown) const {
  const std::optional<std::string> value = Value(name);
  if (!value) Fail(shown + " is missing");
  return *value;
}

std::string CommandLine::OneOperand(const std::string& what) const {
  if (operands_.empty()) Fail(what + " is missing");
  if (operands_.size() > 1) Fail("only one " + what + " may be given ('" + operands_[1] + "')");
  return operands_.front();
}

void CommandLine::Fail(const std::string& message) const {
  throw UsageError(command_.empty() ? message : command_ + ": " + message);
}

CommandLine ParseCommandLine(const Args& args, const std::vector<OptionSpec>& options,
                             const std::string& command) {
  // A command of the table parses only options the table lists, so its help, the manual page
  // and the completion cannot miss one.
  if (const CommandSpec* entry = FindCommandSpec(command)) {
    for (const OptionSpec& option : options) {
      const auto listed =
          std::find_if(entry->options.begin(), entry->options.end(),
                       [&](const OptionSpec& o) { return o.name == std::string(option.name); });
      if (listed == entry->options.end()) {
        throw std::logic_error(std::string(option.name) + " of " + command +
                               " is not in the command table");
      }
    }
  }
  CommandLine line;
  line.command_ = command;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (optionsEnded || word.size() < 2 || word[0] != '-') {
      line.operands_.push_back(word);
      continue;
    }
    if (word == "--") {
      optionsEnded = true;
      continue;
    }
    const std::size_t equals = word.find('=');
    const std::string name = word.substr(0, equals);
    const auto option = std::find_if(options.begin(), options.end(),
                                     [&](const OptionSpec& o) { return name == o.name; });
    if (option == options.end()) line.Fail("unknown option '" + name + "'");
    std::vector<std::string>& values = line.options_[name];
    if (!values.empty() && !option->repeats) line.Fail(name + " given twice");
    if (!option->takesValue) {
      if (equals != std::string::npos) line.Fail(name + " takes no value");
      values.emplace_back();
      continue;
    }
    if (equals != std::string::npos) {
      values.push_back(word.substr(equals + 1));
    } else if (i + 1 < args.size()) {
      values.push_back(args[++i]);
    } else {
      line.Fail(name + " needs a value");
    }
  }
  return line;
}

CommandLine ParseCommandLine(const Args& args, const std::string& command) {
  const CommandSpec* entry = FindCommandSpec(command);
  if (entry == nullptr) throw std::logic_error("no command '" + command + "' in the table");
  return ParseCommandLine(args, entry->options, command);
}

bool AsksForHelp(const Args& args, const std::vector<OptionSpec>& options) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (word == "--") return false;
    if (word == "--help" || word == "-h") return true;
    const auto option = std::find_if(options.begin(), options.end(),
                                     [&](const OptionSpec& o) { return word == o.name; });
    if (option != options.end() && option->takesValue) ++i;  // its value may be any word
  }
  return false;
}
