// SPDX-License-Identifier: GPL-3.0-or-later
// Big-endian field access over bounds-checked byte views.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

using ByteView = std::span<const std::uint8_t>;
using MutableByteView = std::span<std::uint8_t>;

// Both reads are inline: every walk over subtitle units makes several per command.

// Unchecked read for callers that have already checked the bounds.
inline std::uint32_t ReadBigEndianUnchecked(const std::uint8_t* bytes, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = (value << 8) + bytes[i];
  return value;
}

// The value of `count` (1-4) bytes at `position`, most significant first.
// Returns nullopt when the bytes are not all held.
inline std::optional<std::uint32_t> ReadBigEndian(ByteView bytes, std::size_t position, int count) {
  if (count < 1 || count > 4) return std::nullopt;
  if (position > bytes.size() || bytes.size() - position < static_cast<std::size_t>(count)) {
    return std::nullopt;
  }
  return ReadBigEndianUnchecked(bytes.data() + position, count);
}

// Stores the low `count` bytes of `value` at `position`, most significant first, and returns
// position + count. Writes nothing and returns nullopt when the bytes are not all held.
std::optional<std::size_t> WriteBigEndian(MutableByteView bytes, std::size_t position,
                                          std::uint32_t value, int count);

// The subpicture commands were declared here; callers that still reach them through this header
// keep compiling.
#include "core/Subpicture.h"
