// SPDX-License-Identifier: GPL-3.0-or-later
// Big-endian field access over bounds-checked byte views.
#include "core/Core.h"

std::optional<std::size_t> WriteBigEndian(MutableByteView bytes, std::size_t position,
                                          std::uint32_t value, int count) {
  if (count < 1 || count > 4) return std::nullopt;
  if (position > bytes.size() || bytes.size() - position < static_cast<std::size_t>(count)) {
    return std::nullopt;
  }
  for (int i = count - 1; i >= 0; --i) {
    bytes[position + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value & 0xFF);
    value >>= 8;
  }
  return position + static_cast<std::size_t>(count);
}
