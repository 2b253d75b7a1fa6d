// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli's usage texts, made from the command table.
#include "cli/CliUsage.h"

namespace {

constexpr std::size_t kWidth = 96;       // the longest line a help text is wrapped to
constexpr std::size_t kHelpColumn = 26;  // where an option's help starts
const char* const kProgram = "velmoran-cli [--log-level N] ";

// `text` wrapped at kWidth, every line starting with `indent` blanks, the first after `first`.
std::string Wrap(const std::string& text, std::size_t indent, std::string first = {}) {
  std::string out = first.empty() ? std::string(indent, ' ') : first;
  std::size_t column = out.size();
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::size_t length = end - start;
    if (column > indent && column + 1 + length > kWidth) {
      out += '\n';
      out.append(indent, ' ');
      column = indent;
    } else if (column > indent) {
      out += ' ';
      ++column;
    }
    out.append(text, start, length);
    column += length;
    start = end + 1;
  }
  return out + "\n";
}

// "  -o OUT                  Save to OUT, ..."
std::string OptionLine(const std::string& shown, const std::string& help) {
  std::string head = "  " + shown;
  if (head.size() + 2 > kHelpColumn) return head + "\n" + Wrap(help, kHelpColumn);
  head.resize(kHelpColumn, ' ');
  return Wrap(help, kHelpColumn, head);
}

}  // namespace

const CommandSpec* FindCommandSpec(const std::string& name) {
  const std::string wanted = name.rfind("color ", 0) == 0 ? "colour" + name.substr(5) : name;
  for (const CommandSpec& command : CommandTable()) {
    if (wanted == command.name) return &command;
  }
  return nullptr;
}

std::string UsageText() {
  std::string out = "usage: velmoran-cli [--log-level N] COMMAND ARGS...\n\n";
  for (const CommandSpec& command : CommandTable()) {
    for (const char* line : command.synopsis) out += std::string("  ") + line + "\n";
  }
  return out +
         "  --help, --version (-V)\n"
         "  help COMMAND, COMMAND --help: the command's options\n"
         "\n"
         "--log-level N (-1 to 10, default 4) chooses which log lines reach standard error;\n"
         "-q (--quiet) is --log-level 2, -v (--verbose) --log-level 5.\n"
         "FILE - reads standard input; -o - writes standard output.\n"
         "Exit status: 0 success, 1 the work failed, 2 usage error, 130 cancelled.\n";
}

std::string CommandUsage(const CommandSpec& command) {
  std::string out;
  for (std::size_t i = 0; i < command.synopsis.size(); ++i) {
    out += std::string(i == 0 ? "usage: " : "   or: ") + kProgram + command.synopsis[i] + "\n";
  }
  // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on "text" + a temporary.
  out += '\n';
  out += Wrap(command.summary, 0);
  out += "\nOptions:\n";
  for (const OptionSpec& option : command.options) {
    const std::string value = option.takesValue ? std::string(" ") + option.value : "";
    out += OptionLine(option.name + value, option.help);
  }
  out += OptionLine("--", "End the options: every word after it is an operand.");
  out += OptionLine("--help, -h", "Print this help.");
  return out;
}

std::string GroupUsage(const std::string& group) {
  std::string out;
  for (const CommandSpec& command : CommandTable()) {
    const std::string name = command.name;
    if (FindCommandSpec(group + name.substr(name.find(' '))) != &command) continue;
    if (!out.empty()) out += '\n';
    out += CommandUsage(command);
  }
  return out;
}

const char* const kUsageText = [] {
  static const std::string text = UsageText();
  return text.c_str();
}();
