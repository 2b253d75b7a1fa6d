// SPDX-License-Identifier: GPL-3.0-or-later
// Palette files: the sixteen DVD palette entries as authoring tools and VobSub files hold them.
#include "files/PaletteFile.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/FileIO.h"
#include "core/Log.h"
#include "files/DiscLayout.h"
#include "files/Fileifo.h"

namespace {

constexpr std::uint64_t kMaxPaletteFileSize = 16 * 1024 * 1024;  // an .idx lists every subtitle

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Six hex digits as their value; nullopt for anything else.
std::optional<std::uint32_t> SixHexDigits(const std::string& text) {
  if (text.size() != 6) return std::nullopt;
  for (const char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
  }
  return static_cast<std::uint32_t>(std::stoul(text, nullptr, 16));
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
  if (HasExtension(fileName, ".rgb")) return PaletteFormat::kRgb;
  if (HasExtension(fileName, ".idx")) return PaletteFormat::kIdx;
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
    const unsigned rgb = PaletteFileRgb(HexTextY(hex) & 0xFF, HexTextCr(hex) & 0xFF, HexTextCb(hex) & 0xFF);
    switch (format) {
      case PaletteFormat::kYuv:
        out += hex + "\n";
        break;
      case PaletteFormat::kRgb:
        out += FormatText("%06X\n", rgb);
        break;
      case PaletteFormat::kIdx:
        out += FormatText(i == 0 ? "palette: %06x" : ", %06x", rgb);
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
      if (FoldCase(line.substr(0, 8)) != "palette:") continue;
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
                     : FormatText("%06X", PaletteFileYCrCb(*value));
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
