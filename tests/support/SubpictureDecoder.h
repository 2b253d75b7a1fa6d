// SPDX-License-Identifier: GPL-3.0-or-later
// A subpicture decoder for tests, written apart from the program's command walk: it decodes a
// unit's picture and gives each pixel the palette entry and contrast that the unit's commands
// give it, after each control sequence.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

struct DecodedPixel {
  int code = 0;      // the 2-bit value in the picture
  int entry = -1;    // palette entry, -1 when no colour is set
  int contrast = -1; // 0-15, -1 when no contrast is set
  bool operator==(const DecodedPixel&) const = default;
};

// The picture as shown after one control sequence: display area and pixels, row by row.
struct DecodedFrame {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::vector<DecodedPixel> pixels;
};

// One frame per control sequence, or nullopt with a reason when the unit cannot be decoded or
// a frame would hold more than `maxPixels` pixels.
std::optional<std::vector<DecodedFrame>> DecodeSubpicture(const Bytes& unit, std::string* why = nullptr,
                                                          std::size_t maxPixels = 1u << 20);

// Decodes both units and checks that `after` shows the same picture as `before`, sequence by
// sequence, with every pixel's entry E turned into entry[E] and its contrast set to
// contrast[E] where that is not -1. Returns an empty text when so, else what differs.
std::string CompareEntryRemap(const Bytes& before, const Bytes& after, const std::array<int, 16>& entry,
                              const std::array<int, 16>& contrast, std::size_t maxPixels = 1u << 20);

// Decodes the unit's picture after control sequence `sequence` here and with the program's
// decoder (DecodeSubpictureUnit) and returns an empty text when both show the same area and
// every pixel the same entry and contrast, else what differs.
std::string CompareWithProgramDecoder(const Bytes& unit, int sequence);
