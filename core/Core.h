// Big-endian field access and the subpicture control commands shared by SUP and VOB files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

using ByteView = std::span<const std::uint8_t>;
using MutableByteView = std::span<std::uint8_t>;

// Slots of a colour or contrast command word, also the rows of the palette grid.
enum Slot : int { kBackground = 0, kOutline = 1, kText = 2, kAntialias = 3 };
constexpr int kSlotCount = 4;

// Control command codes of a subpicture unit's command list.
constexpr int kCmdColour = 3;    // Cmd3: palette index per slot
constexpr int kCmdContrast = 4;  // Cmd4: intensity per slot
constexpr int kCmdEnd = 0xFF;

// Offsets inside a subpicture unit.
constexpr std::size_t kUnitSizeOffset = 0;
constexpr std::size_t kControlOffsetField = 2;
constexpr std::size_t kCommandListSkip = 4;  // delay and next-sequence offset before the list
constexpr std::size_t kMarkerOffset = 6;
constexpr std::size_t kMarkerLength = 7;     // "QUENLIX"

// The value of `count` (1-4) bytes at `position`, most significant first.
// Returns nullopt when the bytes are not all held.
std::optional<std::uint32_t> ReadBigEndian(ByteView bytes, std::size_t position, int count);

// Unchecked read for callers that have already checked the bounds.
std::uint32_t ReadBigEndianUnchecked(const std::uint8_t* bytes, int count);

// Stores the low `count` bytes of `value` at `position`, most significant first, and returns
// position + count. Writes nothing and returns nullopt when the bytes are not all held.
std::optional<std::size_t> WriteBigEndian(MutableByteView bytes, std::size_t position,
                                          std::uint32_t value, int count);

// Walks the command list that starts at commands[0] and returns the offset of the argument
// word of the first command with `code` (3 or 4), or -1 when the walk ends without it. The walk
// ends at code 0xFF, at a code outside the table, and at the end of the bytes held: a command
// (or its argument word) that does not fit entirely is never read.
int FindCommand(ByteView commands, int code);

// The 4-bit value of `slot` (0-3) in a command word; -1 for any other slot.
int SlotValue(int slot, int word);

// background + 16 outline + 256 text + 4096 antialias.
int MakeCommandWord(int background, int outline, int text, int antialias);

// True when bytes 6-12 of the unit are "QUENLIX" (the text-to-subtitle converter's marker).
bool IsMarkerUnit(ByteView unit);

// Locates the argument word of the first `code` command in the first control sequence of the
// unit that starts at unit[0]. Returns its offset from the start of the unit, or nullopt when the
// control-sequence offset lies outside the unit or the command is not found within it.
std::optional<std::size_t> FindUnitCommand(ByteView unit, int code);
