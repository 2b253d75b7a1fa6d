// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli's values: decimal numbers, comma lists, entry maps and palette hex texts.
#include "cli/CliNumbers.h"

#include <array>
#include <cctype>
#include <limits>

#include "core/Colour.h"
#include "core/Log.h"
#include "files/PaletteFile.h"
#include "files/Tabs.h"

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
    throw UsageError(what + ": expected " + std::to_string(count) +
                     " comma-separated values, got " + std::to_string(items.size()));
  }
  std::vector<int> values;
  for (const std::string& item : items) values.push_back(ParseInt(item, low, high, what));
  return values;
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
  if (const auto contrast = line.Value("--contrast"))
    ParsePairs(*contrast, "--contrast", map.contrast);
  return map;
}

std::string ParseHexArgument(const std::string& text, const std::string& what) {
  std::string hex;
  for (const char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) break;
    hex += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  if (text.size() != 6 || hex.size() != 6) {
    throw UsageError(what + ": '" + text + "' is not six hex digits (Y Cr Cb)");
  }
  return hex;
}

namespace {
constexpr int kPaletteOptionEntries = 16;
}  // namespace

// --palette H0,...,H15: exactly sixteen hex texts.
std::vector<std::string> ParsePaletteOption(const std::string& text) {
  const std::vector<std::string> items = SplitCommas(text);
  if (items.size() != kPaletteOptionEntries) {
    throw UsageError("--palette: expected 16 comma-separated hex texts, got " +
                     std::to_string(items.size()));
  }
  std::vector<std::string> palette;
  for (const std::string& item : items) palette.push_back(ParseHexArgument(item, "--palette"));
  return palette;
}

// --entry I=HEX, each.
std::vector<std::pair<int, std::string>> ParseEntryOptions(const CommandLine& line) {
  std::vector<std::pair<int, std::string>> entries;
  for (const std::string& value : line.Values("--entry")) {
    const std::size_t equals = value.find('=');
    if (equals == std::string::npos) throw UsageError("--entry: '" + value + "' is not I=HEX");
    const int index = ParseInt(value.substr(0, equals), 0, kPaletteOptionEntries - 1, "--entry");
    entries.emplace_back(index, ParseHexArgument(value.substr(equals + 1), "--entry"));
  }
  return entries;
}

bool ChosenPalette(const CommandLine& line, PaletteTexts& palette, FrameSize* size) {
  const auto ifoFile = line.Value("--ifo");
  const auto paletteFile = line.Value("--palette-file");
  const auto pgcText = line.Value("--pgc");
  if (ifoFile && paletteFile) line.Fail("--ifo cannot be mixed with --palette-file");
  if (pgcText && !ifoFile) line.Fail("--pgc needs --ifo");
  if (ifoFile) {
    IfoTabValues tab;
    CFileIFO ifo(tab);
    if (ifo.Load(*ifoFile) == -1) return false;
    if (pgcText && !ifo.SelectTitleChain(ParseInt(*pgcText, 1, 65535, "--pgc"))) {
      LogMessage(kLogError, "ERROR - No title program chain %s in [%s]", pgcText->c_str(), ifoFile->c_str());
      return false;
    }
    for (std::size_t i = 0; i < palette.size(); ++i) {
      int y = 0, cr = 0, cb = 0;
      ifo.GetPaletteEntry(static_cast<int>(i), y, cr, cb);
      palette[i] = FormatHexText(y, cr, cb);
    }
    if (const auto video = TitleVideoSize(ifo.Data()); video && size != nullptr) *size = *video;
  } else if (paletteFile) {
    const auto texts = LoadPaletteFile(*paletteFile);
    if (!texts) return false;
    palette = *texts;
  } else {
    for (std::size_t i = 0; i < palette.size(); ++i) {
      const TColor c = kDefaultPalette[i];
      palette[i] = FormatHexText(ColourToY(c), ColourToCr(c), ColourToCb(c));
    }
  }
  return true;
}
