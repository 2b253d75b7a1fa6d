// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli's values: decimal numbers, comma lists, entry maps and palette hex texts.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "cli/CliOptions.h"
#include "core/EntryRemap.h"
#include "files/Fileifo.h"
#include "files/IfoAttributes.h"

// A decimal integer in [low, high]; throws UsageError naming `what` otherwise.
int ParseInt(const std::string& text, int low, int high, const std::string& what);

// Exactly `count` comma-separated integers in [low, high].
std::vector<int> ParseIntList(const std::string& text, std::size_t count, int low, int high,
                              const std::string& what);

// Splits on commas; empty items are kept.
std::vector<std::string> SplitCommas(const std::string& text);

// The entry remap of --entries A=B[,A=B...] (required) and --contrast A=K[,A=K...]: each A
// (0-15) at most once per option, B and K in 0-15.
EntryMap EntryMapOptions(const CommandLine& line);

// Exactly six hex digits, either case; returns them in upper case. Throws UsageError naming
// `what` for anything else.
std::string ParseHexArgument(const std::string& text, const std::string& what);

// --palette H0,...,H15: exactly sixteen hex texts, in upper case.
std::vector<std::string> ParsePaletteOption(const std::string& text);
// Every --entry I=HEX, in the order given: I 0-15 and a hex text.
std::vector<std::pair<int, std::string>> ParseEntryOptions(const CommandLine& line);

// The palette --ifo [--pgc N] or --palette-file names, or the IFO tab's default palette, as hex
// texts; with --ifo, `size` (when given) becomes the frame size of the title set's video when it
// gives one. False (logged) when a file can't be read; a usage error for mixed options.
bool ChosenPalette(const CommandLine& line, PaletteTexts& palette, FrameSize* size = nullptr);
