// SPDX-License-Identifier: GPL-3.0-or-later
// PNG files of RGBA pictures, deflated by zlib.
#pragma once

#include <cstdint>
#include <vector>

// An 8-bit RGBA PNG of `width` x `height` pixels from `rgba` (4 bytes a pixel, row by row).
std::vector<std::uint8_t> EncodeRgbaPng(const std::vector<std::uint8_t>& rgba, int width, int height);
