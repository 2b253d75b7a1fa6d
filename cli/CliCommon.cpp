// Shared pieces of velmoran-cli: exit codes, usage errors, argument parsing, log on stderr.
#include "cli/CliCommon.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

const char* const kUsageText =
    "usage: velmoran-cli [--log-level N] COMMAND ARGS...\n"
    "\n"
    "  sup show FILE [--json]\n"
    "  sup remap FILE -o OUT --colours B,O,T,A --intensities B,O,T,A\n"
    "  sup remap FILE -o OUT --entries A=B[,A=B...] [--contrast A=K[,A=K...]]\n"
    "  ifo show FILE [--json] [--format yuv|rgb|idx]\n"
    "  ifo set FILE -o OUT [--palette H0,H1,...,H15 | --palette-file F] [--entry I=HEX]...\n"
    "  vob scan [--all] [--json] FILE...\n"
    "  colour to-ycrcb R,G,B\n"
    "  colour to-rgb HEX\n"
    "  --help, --version\n"
    "\n"
    "--log-level N (-1 to 10, default 4) chooses which log lines reach standard error.\n"
    "Exit status: 0 success, 1 the work failed, 2 usage error, 130 cancelled.\n";

void StderrLog::AppendLine(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fputc('\n', stderr);
}

int ParseInt(const std::string& text, int low, int high, const std::string& what) {
  if (text.empty()) throw UsageError(what + ": a number is missing");
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || end == text.c_str() || *end != '\0' || text.front() == ' ') {
    throw UsageError(what + ": '" + text + "' is not a number");
  }
  if (value < low || value > high) {
    throw UsageError(what + ": " + text + " is outside " + std::to_string(low) + "-" +
                     std::to_string(high));
  }
  return static_cast<int>(value);
}

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> items;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    items.push_back(text.substr(start, comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return items;
}

std::vector<int> ParseIntList(const std::string& text, std::size_t count, int low, int high,
                              const std::string& what) {
  const std::vector<std::string> items = SplitCommas(text);
  if (items.size() != count) {
    throw UsageError(what + ": expected " + std::to_string(count) + " comma-separated values, got " +
                     std::to_string(items.size()));
  }
  std::vector<int> values;
  for (const std::string& item : items) values.push_back(ParseInt(item, low, high, what));
  return values;
}

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
    const std::size_t equals = word.rfind("--", 0) == 0 ? word.find('=') : std::string::npos;
    const std::string name = word.substr(0, equals);
    const auto spec = std::find_if(options.begin(), options.end(),
                                   [&](const OptionSpec& o) { return name == o.name; });
    if (spec == options.end()) line.Fail("unknown option '" + name + "'");
    std::vector<std::string>& values = line.options_[name];
    if (!values.empty() && !spec->repeats) line.Fail(name + " given twice");
    if (!spec->takesValue) {
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

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}
