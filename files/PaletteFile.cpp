// Palette files: the sixteen DVD palette entries as authoring tools and VobSub files hold them.
#include "files/PaletteFile.h"

#include <cctype>
#include <cstdint>
#include <vector>

#include "core/FileIO.h"
#include "core/Log.h"
#include "files/Fileifo.h"

namespace {

constexpr std::uint64_t kMaxPaletteFileSize = 16 * 1024 * 1024;  // an .idx lists every subtitle

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Six hex digits as their value; nullopt for anything else.
std::optional<std::uint32_t> SixHexDigits(const std::string& text) {
  if (text.size() != 6) return std::nullopt;
  std::uint32_t value = 0;
  for (const char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    const int lower = std::tolower(static_cast<unsigned char>(c));
    value = value * 16 + static_cast<std::uint32_t>(std::isdigit(lower) ? lower - '0' : lower - 'a' + 10);
  }
  return value;
}

// An RRGGBB value as a Y Cr Cb hex text.
std::string RgbToHexText(std::uint32_t rgb) {
  const TColor colour = ColourOfRgb(rgb);
  return FormatHexText(ColourToY(colour), ColourToCr(colour), ColourToCb(colour));
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

}  // namespace

PaletteFormat PaletteFormatOfName(const std::string& fileName) {
  const std::string name = Lower(fileName);
  auto endsWith = [&name](const std::string& tail) {
    return name.size() >= tail.size() && name.compare(name.size() - tail.size(), tail.size(), tail) == 0;
  };
  if (endsWith(".rgb")) return PaletteFormat::kRgb;
  if (endsWith(".idx")) return PaletteFormat::kIdx;
  return PaletteFormat::kYuv;
}

std::optional<PaletteFormat> PaletteFormatOfWord(const std::string& word) {
  if (word == "yuv") return PaletteFormat::kYuv;
  if (word == "rgb") return PaletteFormat::kRgb;
  if (word == "idx") return PaletteFormat::kIdx;
  return std::nullopt;
}

std::string FormatPaletteFile(const PaletteTexts& palette, PaletteFormat format) {
  std::string out;
  for (std::size_t i = 0; i < palette.size(); ++i) {
    const std::string& hex = palette[i];
    const TColor c = YCrCbToColour(HexTextY(hex), HexTextCr(hex), HexTextCb(hex));
    switch (format) {
      case PaletteFormat::kYuv:
        out += hex + "\n";
        break;
      case PaletteFormat::kRgb:
        out += FormatText("%02X%02X%02X\n", RedOf(c), GreenOf(c), BlueOf(c));
        break;
      case PaletteFormat::kIdx:
        out += FormatText(i == 0 ? "palette: %02x%02x%02x" : ", %02x%02x%02x", RedOf(c), GreenOf(c),
                          BlueOf(c));
        break;
    }
  }
  return format == PaletteFormat::kIdx ? out + "\n" : out;
}

std::optional<PaletteTexts> ParsePaletteFile(const std::string& text, PaletteFormat format,
                                             std::string& error) {
  std::vector<std::string> values;
  const std::vector<std::string> lines = Lines(text);
  if (format == PaletteFormat::kIdx) {
    bool found = false;
    for (const std::string& line : lines) {
      if (Lower(line).rfind("palette:", 0) != 0) continue;
      std::string list = line.substr(8);
      std::size_t start = 0;
      while (true) {
        const std::size_t comma = list.find(',', start);
        values.push_back(Trim(list.substr(start, comma == std::string::npos ? comma : comma - start)));
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
      found = true;
      break;
    }
    if (!found) {
      error = "no palette: line";
      return std::nullopt;
    }
  } else {
    for (const std::string& line : lines) {
      const std::string value = Trim(line.substr(0, line.find('#')));
      if (!value.empty()) values.push_back(value);
    }
  }
  if (values.size() != 16) {
    error = "expected 16 entries, found " + std::to_string(values.size());
    return std::nullopt;
  }
  PaletteTexts palette;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const auto value = SixHexDigits(values[i]);
    if (!value) {
      error = "entry " + std::to_string(i) + " '" + values[i] + "' is not six hex digits";
      return std::nullopt;
    }
    palette[i] = format == PaletteFormat::kYuv
                     ? FormatHexText(static_cast<int>(*value >> 16), static_cast<int>(*value >> 8 & 0xFF),
                                     static_cast<int>(*value & 0xFF))
                     : RgbToHexText(*value);
  }
  return palette;
}

std::optional<PaletteTexts> LoadPaletteFile(const std::string& fileName) {
  std::vector<std::uint8_t> bytes;
  // "Can't open", "Can't read" or "File too large", as for a document.
  if (!LoadDocumentBytes(fileName, bytes, kMaxPaletteFileSize)) return std::nullopt;
  std::string error;
  auto palette = ParsePaletteFile(std::string(bytes.begin(), bytes.end()), PaletteFormatOfName(fileName), error);
  if (!palette) LogMessage(kLogError, "ERROR - Not a palette file [%s]: %s", fileName.c_str(), error.c_str());
  return palette;
}
