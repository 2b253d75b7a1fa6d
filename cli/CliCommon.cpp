// Shared pieces of velmoran-cli: exit codes, usage errors, argument parsing, log on stderr.
#include "cli/CliCommon.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <limits>

#include "core/Platform.h"

const char* const kUsageText =
    "usage: velmoran-cli [--log-level N] COMMAND ARGS...\n"
    "\n"
    "  sup show FILE [--json]\n"
    "  sup remap FILE -o OUT --colours B,O,T,A --intensities B,O,T,A\n"
    "  sup remap FILE -o OUT --entries A=B[,A=B...] [--contrast A=K[,A=K...]]\n"
    "  ifo show FILE|DIR [--json] [--all] [--pgc N] [--format yuv|rgb|idx]\n"
    "  ifo set FILE -o OUT [--pgc N|all] [--palette H0,...,H15 | --palette-file F] [--entry I=HEX]... [--no-bup]\n"
    "  vob scan [--all] [--json] [--units] FILE|DIR...\n"
    "  vob remap FILE... [-o OUT] [--stream N] --entries A=B[,A=B...] [--contrast A=K[,A=K...]]\n"
    "  colour to-ycrcb R,G,B\n"
    "  colour to-rgb HEX\n"
    "  --help, --version\n"
    "\n"
    "--log-level N (-1 to 10, default 4) chooses which log lines reach standard error.\n"
    "Exit status: 0 success, 1 the work failed, 2 usage error, 130 cancelled.\n";

void StderrLog::AppendLine(const std::string& line) {
  if (status_ != nullptr) status_->Clear();
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fputc('\n', stderr);
  if (status_ != nullptr) status_->Redraw();
}

int ParseInt(const std::string& text, int low, int high, const std::string& what) {
  if (text.empty()) throw UsageError(what + ": a number is missing");
  // One spelling per number: an optional '-' and decimal digits, no leading zero, no "-0".
  const bool negative = text[0] == '-';
  const std::string digits = text.substr(negative ? 1 : 0);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos ||
      (digits[0] == '0' && (digits.size() > 1 || negative))) {
    throw UsageError(what + ": '" + text + "' is not a number");
  }
  // Eleven digits or more lie outside any int range, so ten are enough to compare.
  long long value = digits.size() > 10 ? std::numeric_limits<long long>::max() : std::stoll(digits);
  if (negative) value = -value;
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

namespace {

// The bytes at text[i] that make one UTF-8 sequence: all of a well-formed one (`valid` is then
// true), or else the lead byte and the continuation bytes still acceptable after it, which
// together stand for one U+FFFD.
std::size_t Utf8Sequence(const std::string& text, std::size_t i, bool& valid) {
  const unsigned char lead = static_cast<unsigned char>(text[i]);
  std::size_t length = 1;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong below
    if (lead == 0xED) high = 0x9F;  // surrogates above
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // overlong below
    if (lead == 0xF4) high = 0x8F;  // past U+10FFFF above
  }
  valid = false;
  if (length == 1) return 1;  // a continuation byte, C0, C1 or F5-FF
  for (std::size_t k = 1; k < length; ++k) {
    if (i + k >= text.size()) return k;
    const unsigned char c = static_cast<unsigned char>(text[i + k]);
    if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF)) return k;
  }
  valid = true;
  return length;
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      // Valid UTF-8 is kept; anything else becomes U+FFFD, so the output is always UTF-8.
      bool valid = false;
      const std::size_t length = Utf8Sequence(text, i, valid);
      out += valid ? text.substr(i, length) : "\xEF\xBF\xBD";
      i += length;
      continue;
    }
    ++i;
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

namespace {

// "A=B,A=B...": each A (0-15) at most once, B in 0-15, into `table`.
void ParsePairs(const std::string& text, const std::string& what, std::array<int, 16>& table) {
  std::array<bool, 16> given{};
  for (const std::string& item : SplitCommas(text)) {
    const std::size_t equals = item.find('=');
    if (equals == std::string::npos) throw UsageError(what + ": '" + item + "' is not A=B");
    const int from = ParseInt(item.substr(0, equals), 0, 15, what);
    const int to = ParseInt(item.substr(equals + 1), 0, 15, what);
    if (given[from]) throw UsageError(what + ": entry " + std::to_string(from) + " given twice");
    given[from] = true;
    table[from] = to;
  }
}

}  // namespace

EntryMap EntryMapOptions(const CommandLine& line) {
  EntryMap map;
  ParsePairs(line.Required("--entries", "--entries"), "--entries", map.entry);
  if (const auto contrast = line.Value("--contrast")) ParsePairs(*contrast, "--contrast", map.contrast);
  return map;
}
