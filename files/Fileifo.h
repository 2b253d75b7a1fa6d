// The IFO document (the title set's palette) and the conversions between screen colours,
// Y Cr Cb values and palette hex texts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Colour.h"

class IfoTab;

// Screen colour to Y, Cr, Cb (studio range). Bits 24-31 of the colour are ignored.
int ColourToY(TColor colour);
int ColourToCr(TColor colour);
int ColourToCb(TColor colour);

// Y, Cr, Cb back to one channel, truncated and clamped into 0-255. Any integers are accepted.
int YCrCbToRed(int y, int cr);
int YCrCbToGreen(int y, int cr, int cb);
int YCrCbToBlue(int y, int cb);
TColor YCrCbToColour(int y, int cr, int cb);

// "0"-"9" and "A"-"F" give their value; every other character gives 15.
int HexDigitValue(char character);
// Two characters as a byte; -1 unless the text is exactly two characters long.
int HexByteValue(const std::string& text);
// Characters 1-2, 3-4, 5-6 of a palette hex text; -1 for a text shorter than six characters.
int HexTextY(const std::string& text);
int HexTextCr(const std::string& text);
int HexTextCb(const std::string& text);
// "%02X%02X%02X"; a value outside 0-255 prints as its unsigned 32-bit value (-1 is FFFFFFFF).
std::string FormatHexText(int y, int cr, int cb);

// Positions inside a title set IFO file.
constexpr std::size_t kIfoIdentifierLength = 12;
constexpr std::size_t kPgciSectorOffset = 0xCC;        // start sector of the PGC information table
constexpr std::size_t kFirstPgcPointerOffset = 12;     // in the table: start of the first PGC
constexpr std::size_t kPaletteOffsetInPgc = 0xA4;      // colour lookup table inside a PGC
constexpr std::size_t kPaletteEntryCount = 16;
constexpr std::size_t kPaletteBytes = 4 * kPaletteEntryCount;
constexpr std::uint64_t kSectorSize = 2048;
constexpr std::uint64_t kMaxIfoFileSize = 0x7FFFFFFF;

// One title set IFO file held in memory: the first program chain's palette is read from it
// and written back from the IFO tab's hex fields; every other byte is saved as read.
class CFileIFO {
 public:
  explicit CFileIFO(IfoTab& tab) : Tab(tab) {}

  // 16 on success, -1 on any failure (logged); a failure leaves nothing loaded.
  int Load(const std::string& fileName);
  bool HasData() const { return Size != 0; }
  // The first twelve bytes read "DVDVIDEO-VTS".
  bool IsIfoData() const;
  // Follows the pointers to the first program chain's palette and sets PaletteOffset. False
  // when a pointer or the palette lies outside the bytes held.
  bool FindPalette();
  // Y, Cr, Cb (0-255) of entry 0-15; false and nothing stored for any other index.
  bool GetPaletteEntry(int index, int& y, int& cr, int& cb) const;
  // Writes the hex fields' palette into the bytes and the whole file to `fileName`.
  bool Save(const std::string& fileName);

  // For tests and tools: the bytes held and the position of entry 0's Y byte.
  const std::vector<std::uint8_t>& Data() const { return Bytes; }
  int GetPaletteOffset() const { return PaletteOffset; }

 private:
  bool PaletteInside() const;

  IfoTab& Tab;
  std::vector<std::uint8_t> Bytes;
  std::int32_t Size = 0;
  std::int32_t PaletteOffset = 0;
};
