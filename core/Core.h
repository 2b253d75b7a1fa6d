// SPDX-License-Identifier: GPL-3.0-or-later
// Big-endian field access over bounds-checked byte views.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

using ByteView = std::span<const std::uint8_t>;
using MutableByteView = std::span<std::uint8_t>;

// The value of `count` (1-4) bytes at `position`, most significant first.
// Returns nullopt when the bytes are not all held.
std::optional<std::uint32_t> ReadBigEndian(ByteView bytes, std::size_t position, int count);

// Unchecked read for callers that have already checked the bounds.
std::uint32_t ReadBigEndianUnchecked(const std::uint8_t* bytes, int count);

// Stores the low `count` bytes of `value` at `position`, most significant first, and returns
// position + count. Writes nothing and returns nullopt when the bytes are not all held.
std::optional<std::size_t> WriteBigEndian(MutableByteView bytes, std::size_t position,
                                          std::uint32_t value, int count);

// The subpicture commands were declared here; callers that still reach them through this header
// keep compiling.
#include "core/Subpicture.h"
