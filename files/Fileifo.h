// SPDX-License-Identifier: GPL-3.0-or-later
// The IFO document (the title set's palette) and palette hex texts. The conversions between
// screen colours and Y Cr Cb values are in core/Colour.h.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/Colour.h"
#include "files/IfoChains.h"

class IfoTab;

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

// An IFO file holds tables of a few hundred kilobytes at most; anything past this is refused
// before it is read (a device such as /dev/zero included).
constexpr std::uint64_t kMaxIfoFileSize = std::uint64_t{8} << 20;

// What Load accepts: the window takes title sets only; the disc work reads VIDEO_TS.IFO too.
enum class IfoAccept { kTitleSet, kTitleSetOrManager };

// The sixteen palette hex texts written into one program chain by SaveChains.
using PaletteTexts = std::array<std::string, kPaletteEntryCount>;

class CFileIFO {
 public:
  explicit CFileIFO(IfoTab& tab) : Tab(tab) {}

  // 16 on success, -1 on any failure (logged); a failure leaves nothing loaded. A title set
  // whose other program chains have palettes that differ from the first title chain's logs a
  // level-4 warning saying how many; a damaged menu table a level-4 warning (the menus are left
  // out, their bytes kept as they are).
  int Load(const std::string& fileName, IfoAccept accept = IfoAccept::kTitleSet);
  bool HasData() const { return Size != 0; }
  // The first twelve bytes read "DVDVIDEO-VTS".
  bool IsIfoData() const;
  // Lists every program chain and sets PaletteOffset to the first (the first title chain of a
  // title set). False when a table is damaged (ListProgramChains).
  bool FindPalette();
  // Y, Cr, Cb (0-255) of entry 0-15; false and nothing stored for any other index.
  bool GetPaletteEntry(int index, int& y, int& cr, int& cb) const;
  // Writes the hex fields' palette into the current chain and the whole file to `fileName`,
  // then the backup twin. False when the file could not be written, or when the twin could not
  // be: the file is saved then, and the error line says what the twin holds.
  bool Save(const std::string& fileName);
  // As Save, with each listed chain (an index into Chains()) given its own palette texts.
  bool SaveChains(const std::string& fileName,
                  const std::vector<std::pair<std::size_t, PaletteTexts>>& palettes);
  // Whether saves keep the backup twin in step (the default).
  void SetKeepBackupTwin(bool keep) { KeepTwin = keep; }
  // Whether Load reads the backup twin in place of an IFO file that can't be read at all (off
  // by default: then the twin that could be read is only named in the error).
  void SetReadBackupTwin(bool read) { ReadTwin = read; }

  IfoKind Kind() const { return FileKind; }
  const std::vector<ProgramChain>& Chains() const { return ChainList; }
  // Makes title chain `number` (from 1) the current chain; false when there is none.
  bool SelectTitleChain(int number);
  // Y, Cr, Cb of entry `index` of chain `chain`; false for an index or chain outside.
  bool GetChainEntry(std::size_t chain, int index, int& y, int& cr, int& cb) const;

  // For tests and tools: the bytes held and the position of entry 0's Y byte.
  const std::vector<std::uint8_t>& Data() const { return Bytes; }
  int GetPaletteOffset() const { return PaletteOffset; }

 private:
  bool PaletteInside() const;
  // Stores one entry as 0, Y, Cr, Cb at `position` (entry 0's Y byte + 4 x index), logging it.
  void PutEntry(int index, int position, int y, int cr, int cb);
  bool WriteAll(const std::string& fileName, const std::function<void()>& fillPalettes);
  int CountOtherPalettes() const;

  IfoTab& Tab;
  std::vector<std::uint8_t> Bytes;
  std::int32_t Size = 0;
  std::int32_t PaletteOffset = 0;
  IfoKind FileKind = IfoKind::kTitleSet;
  std::vector<ProgramChain> ChainList;
  bool KeepTwin = true;
  bool ReadTwin = false;
  bool MenusLeftOut = false;  // the menu table is damaged
  // Load without the backup twin.
  int LoadFile(const std::string& fileName, IfoAccept accept);
};
