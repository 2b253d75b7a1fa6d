// SPDX-License-Identifier: GPL-3.0-or-later
// PNG files of RGBA pictures, deflated by zlib.
#include "cli/PngFile.h"

#include <zlib.h>

#include <cstddef>
#include <stdexcept>

namespace {

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// Length, type, data and the CRC of type and data.
void Chunk(std::vector<std::uint8_t>& png, const char* type, const std::vector<std::uint8_t>& data) {
  Put32(png, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  const uLong crc = crc32(crc32(0L, Z_NULL, 0), png.data() + start, static_cast<uInt>(png.size() - start));
  Put32(png, static_cast<std::uint32_t>(crc));
}

}  // namespace

std::vector<std::uint8_t> EncodeRgbaPng(const std::vector<std::uint8_t>& rgba, int width, int height) {
  const std::size_t row = static_cast<std::size_t>(width) * 4;
  // Each row is preceded by its filter type; 0 leaves the bytes as they are.
  std::vector<std::uint8_t> raw;
  raw.reserve((row + 1) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    const auto from = rgba.begin() + static_cast<std::ptrdiff_t>(row * static_cast<std::size_t>(y));
    raw.insert(raw.end(), from, from + static_cast<std::ptrdiff_t>(row));
  }
  uLongf packed = compressBound(static_cast<uLong>(raw.size()));
  std::vector<std::uint8_t> deflated(packed);
  if (compress2(deflated.data(), &packed, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK) {
    throw std::runtime_error("the picture could not be compressed");
  }
  deflated.resize(packed);

  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<std::uint8_t> header;
  Put32(header, static_cast<std::uint32_t>(width));
  Put32(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter choice, no interlace
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", deflated);
  Chunk(png, "IEND", {});
  return png;
}
