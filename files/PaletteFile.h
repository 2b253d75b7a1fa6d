// SPDX-License-Identifier: GPL-3.0-or-later
// Palette files: the sixteen DVD palette entries as authoring tools and VobSub files hold them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/Colour.h"    // PaletteFileRgb, PaletteFileYCrCb
#include "files/Fileifo.h"  // PaletteTexts


enum class PaletteFormat {
  kYuv,  // one Y Cr Cb hex text per line, as authoring tools read it
  kRgb,  // one RRGGBB line per entry
  kIdx,  // a VobSub .idx "palette:" line of sixteen rrggbb values
};

// The format a file name stands for: ".rgb" and ".idx" (any case), else Y Cr Cb.
PaletteFormat PaletteFormatOfName(const std::string& fileName);
// "yuv", "rgb" or "idx"; nullopt for any other word.
std::optional<PaletteFormat> PaletteFormatOfWord(const std::string& word);


// The palette as a file of the given format, each line ended by "\n"; RGB by PaletteFileRgb.
std::string FormatPaletteFile(const PaletteTexts& palette, PaletteFormat format);

// Reads sixteen entries from a palette file's text. Y Cr Cb and RGB files: one six-hex-digit
// value per line, either case; blanks around it, blank lines and everything from '#' on are
// ignored. An .idx file: its first line that starts with "palette:", sixteen comma-separated
// rrggbb values; its other lines are not read. RGB values are converted by PaletteFileYCrCb.
// On failure returns nullopt and says why in `error`.
std::optional<PaletteTexts> ParsePaletteFile(const std::string& text, PaletteFormat format,
                                             std::string& error);

// Reads and parses the named file (its format from its name). Logs
// "ERROR - Can't open [%s]" or "ERROR - Not a palette file [%s]: <why>" (level 2) on failure.
std::optional<PaletteTexts> LoadPaletteFile(const std::string& fileName);
