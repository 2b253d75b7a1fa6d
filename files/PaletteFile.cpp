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

// Palette files go between this program and other tools, so they hold RGB as those tools
// convert it: dvdauthor reads an .rgb palette with these integer BT.601 (studio range) sums.
int FileY(int r, int g, int b) { return (257 * r + 504 * g + 98 * b + 16500) / 1000; }
int FileCr(int r, int g, int b) { return (439 * r - 368 * g - 71 * b + 128500) / 1000; }
int FileCb(int r, int g, int b) { return (-148 * r - 291 * g + 439 * b + 128500) / 1000; }

int ClampChannel(long value) { return static_cast<int>(std::clamp(value, 0L, 255L)); }

// The RGB value written for a Y Cr Cb entry: the one that reads back as the same three bytes.
// The inverse sums land within two steps of it for every entry an RGB value can give, so the
// 5 x 5 x 5 values around them are tried, nearest first; an entry no RGB value gives (outside the
// RGB gamut) gets the value that reads back closest to it.
std::uint32_t FileRgbOf(int y, int cr, int cb) {
  const double luma = 1.164 * (y - 16);
  const int r0 = ClampChannel(std::lround(luma + 1.596 * (cr - 128)));
  const int g0 = ClampChannel(std::lround(luma - 0.813 * (cr - 128) - 0.391 * (cb - 128)));
  const int b0 = ClampChannel(std::lround(luma + 2.018 * (cb - 128)));
  constexpr int kReach = 2;
  long best = -1;
  std::uint32_t chosen = 0;
  for (int step = 0; step <= kReach; ++step) {
    for (int dr = -step; dr <= step; ++dr) {
      for (int dg = -step; dg <= step; ++dg) {
        for (int db = -step; db <= step; ++db) {
          if (std::max({std::abs(dr), std::abs(dg), std::abs(db)}) != step) continue;
          const int r = r0 + dr, g = g0 + dg, b = b0 + db;
          if (r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255) continue;
          const long ey = FileY(r, g, b) - y, ecr = FileCr(r, g, b) - cr, ecb = FileCb(r, g, b) - cb;
          const long error = ey * ey + ecr * ecr + ecb * ecb;
          if (best >= 0 && error >= best) continue;
          best = error;
          chosen = static_cast<std::uint32_t>(r << 16 | g << 8 | b);
          if (error == 0) return chosen;
        }
      }
    }
  }
  return chosen;
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

std::uint32_t PaletteFileRgb(int y, int cr, int cb) { return FileRgbOf(y, cr, cb); }

std::uint32_t PaletteFileYCrCb(std::uint32_t rgb) {
  const int r = static_cast<int>(rgb >> 16 & 0xFF), g = static_cast<int>(rgb >> 8 & 0xFF), b = static_cast<int>(rgb & 0xFF);
  return static_cast<std::uint32_t>(FileY(r, g, b) << 16 | FileCr(r, g, b) << 8 | FileCb(r, g, b));
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
