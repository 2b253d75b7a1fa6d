// SPDX-License-Identifier: GPL-3.0-or-later
// The IFO document (the title set's palette) and palette hex texts.
#include "files/Fileifo.h"

#include <sys/stat.h>

#include <cstring>

#include "core/Core.h"
#include "core/FileIO.h"
#include "core/Log.h"
#include "core/Platform.h"
#include "files/DiscLayout.h"
#include "files/Tabs.h"

int HexDigitValue(char character) {
  const auto code = static_cast<signed char>(character);
  if (code >= 'A' && code <= 'F') return code - 'A' + 10;
  if (code >= '0' && code <= '9') return code - '0';
  return 15;
}

int HexByteValue(const std::string& text) {
  if (text.size() != 2) return -1;
  return 16 * HexDigitValue(text[0]) + HexDigitValue(text[1]);
}

namespace {

int HexTextField(const std::string& text, std::size_t position) {
  if (text.size() < 6) return -1;
  return HexByteValue(text.substr(position, 2));
}

}  // namespace

int HexTextY(const std::string& text) { return HexTextField(text, 0); }
int HexTextCr(const std::string& text) { return HexTextField(text, 2); }
int HexTextCb(const std::string& text) { return HexTextField(text, 4); }

std::string FormatHexText(int y, int cr, int cb) {
  return FormatText("%02X%02X%02X", static_cast<unsigned>(y), static_cast<unsigned>(cr),
                    static_cast<unsigned>(cb));
}

// ---------------------------------------------------------------------------------------------

int CFileIFO::Load(const std::string& fileName, IfoAccept accept) {
  if (LoadFile(fileName, accept) == 16) return 16;
  // As players do: an IFO file that can't be read at all may still have a sound backup twin.
  const std::string twin = BackupTwinPath(fileName);
  if (twin.empty()) return -1;
  {
    ScopedLogTarget quiet(nullptr);  // the twin is only tried here
    if (LoadFile(twin, accept) != 16) return -1;
  }
  if (!ReadTwin) {
    LogMessage(kLogError, "ERROR - The backup file [%s] can be read; restore [%s] from it first",
               twin.c_str(), fileName.c_str());
    Size = 0;
    ReleaseBytes(Bytes);
    ChainList.clear();
    return -1;
  }
  LogMessage(kLogWarning, "WARNING - Read from the backup file [%s] instead of [%s]", twin.c_str(),
             fileName.c_str());
  return LoadFile(twin, accept);
}

int CFileIFO::LoadFile(const std::string& fileName, IfoAccept accept) {
  ReleaseBytes(Bytes);
  ChainList.clear();
  Size = 0;
  const char* name = fileName.c_str();
  if (!LoadDocumentBytes(fileName, Bytes, kMaxIfoFileSize)) return -1;
  Size = static_cast<std::int32_t>(Bytes.size());
  const std::optional<IfoKind> kind = IfoKindOf(Bytes);
  const bool accepted = kind == IfoKind::kTitleSet ||
                        (kind == IfoKind::kVideoManager && accept == IfoAccept::kTitleSetOrManager);
  if (accepted) FileKind = *kind;
  // A damaged file whose tables or pointers lead outside it is refused like any other file
  // that is not an IFO file.
  if (!accepted || !FindPalette()) {
    LogMessage(kLogError, "ERROR - Not a correct IFO file [%s]", name);
    Size = 0;
    ReleaseBytes(Bytes);
    ChainList.clear();
    return -1;
  }
  if (MenusLeftOut) {
    LogMessage(kLogWarning, "WARNING - Damaged menu table, the menus are left out [%s]", name);
  }
  if (FileKind == IfoKind::kTitleSet) {
    const int others = CountOtherPalettes();
    if (others > 0) {
      LogMessage(kLogWarning, "WARNING - %d other program chains have other palettes [%s]", others,
                 name);
    }
  }
  return 16;
}

bool CFileIFO::IsIfoData() const {
  return Size >= static_cast<std::int32_t>(kIfoIdentifierLength) &&
         IfoKindOf(Bytes) == IfoKind::kTitleSet;
}

bool CFileIFO::FindPalette() {
  bool menusDamaged = false;
  std::optional<std::vector<ProgramChain>> chains = ListProgramChains(Bytes, FileKind, &menusDamaged);
  MenusLeftOut = menusDamaged;
  if (!chains || chains->empty()) {
    ChainList.clear();
    return false;
  }
  ChainList = std::move(*chains);
  PaletteOffset = static_cast<std::int32_t>(ChainList.front().palette + 1);
  return true;
}

bool CFileIFO::SelectTitleChain(int number) {
  for (const ProgramChain& chain : ChainList) {
    if (chain.domain == PgcDomain::kTitle && chain.number == number) {
      PaletteOffset = static_cast<std::int32_t>(chain.palette + 1);
      return true;
    }
  }
  return false;
}

// Chains whose sixteen Y, Cr, Cb differ from the current chain's; reserved bytes are ignored.
int CFileIFO::CountOtherPalettes() const {
  const std::size_t current = static_cast<std::size_t>(PaletteOffset) - 1;
  int others = 0;
  for (const ProgramChain& chain : ChainList) {
    if (chain.palette == current) continue;
    for (std::size_t i = 0; i < kPaletteEntryCount; ++i) {
      const std::uint8_t* a = Bytes.data() + chain.palette + 4 * i + 1;
      const std::uint8_t* b = Bytes.data() + current + 4 * i + 1;
      if (std::memcmp(a, b, 3) != 0) {
        ++others;
        break;
      }
    }
  }
  return others;
}

bool CFileIFO::PaletteInside() const {
  return Size != 0 && PaletteOffset >= 1 &&
         static_cast<std::uint64_t>(PaletteOffset) - 1 + kPaletteBytes <= Bytes.size();
}

bool CFileIFO::GetPaletteEntry(int index, int& y, int& cr, int& cb) const {
  if (index < 0 || index >= static_cast<int>(kPaletteEntryCount) || !PaletteInside()) return false;
  const std::size_t at = static_cast<std::size_t>(PaletteOffset) + 4 * static_cast<std::size_t>(index);
  y = Bytes[at];
  cr = Bytes[at + 1];
  cb = Bytes[at + 2];
  return true;
}

bool CFileIFO::GetChainEntry(std::size_t chain, int index, int& y, int& cr, int& cb) const {
  if (chain >= ChainList.size() || index < 0 || index >= static_cast<int>(kPaletteEntryCount)) {
    return false;
  }
  // Positions were checked against the bytes when the chains were listed.
  const std::size_t at = ChainList[chain].palette + 1 + 4 * static_cast<std::size_t>(index);
  y = Bytes[at];
  cr = Bytes[at + 1];
  cb = Bytes[at + 2];
  return true;
}

void CFileIFO::PutEntry(int index, int position, int y, int cr, int cb) {
  LogMessage(kLogDetail, "Colour(%02d)%08X - %3d %3d %3d [%02X %02X %02X]", index,
             static_cast<unsigned>(position), y, cr, cb, static_cast<unsigned>(y),
             static_cast<unsigned>(cr), static_cast<unsigned>(cb));
  const std::size_t at = static_cast<std::size_t>(position) - 1;
  Bytes[at] = 0;
  Bytes[at + 1] = static_cast<std::uint8_t>(y & 0xFF);
  Bytes[at + 2] = static_cast<std::uint8_t>(cr & 0xFF);
  Bytes[at + 3] = static_cast<std::uint8_t>(cb & 0xFF);
}

bool CFileIFO::Save(const std::string& fileName) {
  return WriteAll(fileName, [this] {
    for (int i = 0; i < static_cast<int>(kPaletteEntryCount); ++i) {
      // The field is read once for each value, as the tab may hand out a new text each time.
      const int y = HexTextY(Tab.HexText(i));
      const int cr = HexTextCr(Tab.HexText(i));
      const int cb = HexTextCb(Tab.HexText(i));
      PutEntry(i, PaletteOffset + 4 * i, y, cr, cb);
    }
  });
}

bool CFileIFO::SaveChains(const std::string& fileName,
                          const std::vector<std::pair<std::size_t, PaletteTexts>>& palettes) {
  for (const auto& [chain, texts] : palettes) {
    if (chain >= ChainList.size()) return false;
  }
  return WriteAll(fileName, [&] {
    for (const auto& [chain, texts] : palettes) {
      const int entry0 = static_cast<int>(ChainList[chain].palette + 1);
      for (int i = 0; i < static_cast<int>(kPaletteEntryCount); ++i) {
        const std::string& t = texts[static_cast<std::size_t>(i)];
        PutEntry(i, entry0 + 4 * i, HexTextY(t), HexTextCr(t), HexTextCb(t));
      }
    }
  });
}

// Both files are created before any palette byte changes, so a file that cannot be created
// leaves the document and the disk as they were. The IFO is committed first: when the twin
// then fails, the IFO stays saved, and the error line says what the twin holds: its old bytes
// when it was to be replaced whole, or some of the new ones when it was being written in place
// (a twin with several names).
bool CFileIFO::WriteAll(const std::string& fileName, const std::function<void()>& fillPalettes) {
  const char* name = fileName.c_str();
  // With nothing loaded there is no palette to write into.
  if (!PaletteInside()) {
    LogMessage(kLogError, "ERROR - Can't save no IFO file loaded!!!");
    return false;
  }
  AtomicFile file(fileName);
  if (!file.Create()) {
    LogMessage(kLogError, "ERROR - Can't Create file [%s]", name);
    return false;
  }
  const std::string twinPath = KeepTwin ? BackupTwinPath(fileName) : std::string();
  AtomicFile twin(twinPath);
  if (!twinPath.empty() && !twin.Create()) {
    LogMessage(kLogError, "ERROR - Can't Create file [%s]", twinPath.c_str());
    return false;
  }
  fillPalettes();
  if (!file.Write(Bytes) || !file.Commit()) {
    LogMessage(kLogError, "ERROR - Writing to IFO file [%s]", name);
    return false;
  }
  LogMessage(kLogInfo, "Data written to IFO file [%s]", name);
  if (twinPath.empty()) {
    if (KeepTwin && ClassifyDiscFile(fileName).kind == DiscFileKind::kIfo) {
      LogMessage(kLogWarning, "WARNING - No backup file beside [%s], none written", name);
    }
    return true;
  }
  if (!twin.Write(Bytes) || !twin.Commit()) {
    LogMessage(kLogError, twin.TargetTouched()
                              ? "ERROR - Writing to backup file [%s], it holds some or all of the new bytes"
                              : "ERROR - Writing to backup file [%s], it keeps its old bytes",
               twinPath.c_str());
    return false;
  }
  LogMessage(kLogInfo, "Data written to backup file [%s]", twinPath.c_str());
  return true;
}
