// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: a SUP file loaded, remapped by slot and by entry, and saved; nothing but command
// words may change, and an entry remap turns each decodable pixel's entry as asked.
#include <cstddef>
#include <cstdint>

#include "core/FileIO.h"
#include "core/Log.h"
#include "files/Filesup.h"
#include "files/Tabs.h"
#include "fuzz/FuzzFile.h"
#include "tests/support/Recorders.h"
#include "tests/support/SubpictureDecoder.h"

namespace {

// The entry remap of the same input: every changed byte lies in a colour or contrast word that
// the walk of the original unit finds, and (without contrasts, so the check needs no rule for a
// contrast set before any colour) every pixel of a decodable picture has its entry translated.
void CheckEntryRemap(const FuzzFile& input, const FuzzFile& output, bool withContrast) {
  SupTabValues tab;
  CFileSUP sup(tab);
  if (sup.Load(input.Path()) < 0) return;
  EntryMap map;
  for (int i = 0; i < 16; ++i) map.entry[i] = (i * 5 + 7) % 16;
  if (withContrast) {
    map.contrast[0] = 15;
    map.contrast[9] = 4;
  }
  const std::vector<std::uint8_t> before = sup.Data();
  if (!sup.SaveEntryRemap(output.Path(), map)) {
    if (sup.Data() != before) __builtin_trap();
    return;
  }
  const std::vector<std::uint8_t>& after = sup.Data();
  std::vector<std::uint8_t> written;
  if (after.size() != before.size() ||
      ReadWholeFile(output.Path(), written, CFileSUP::kMaxFileSize) != ReadResult::kOk || written != after) {
    __builtin_trap();
  }
  std::vector<bool> word(before.size(), false);
  std::vector<UnitWord> words;
  for (const std::int32_t packet : sup.PacketOffsets()) {
    const std::size_t start = static_cast<std::size_t>(packet) + CFileSUP::kHeaderSize;
    const std::size_t size = *ReadBigEndian(before, start, 2);  // listed packets are held whole
    const std::vector<std::uint8_t> unit(before.begin() + static_cast<std::ptrdiff_t>(start),
                                         before.begin() + static_cast<std::ptrdiff_t>(start + size));
    if (WalkUnitWords(unit, words).error != WalkError::kNone) __builtin_trap();
    for (const UnitWord& w : words) word[start + w.at] = word[start + w.at + 1] = true;
    if (!withContrast) {
      const std::vector<std::uint8_t> remapped(after.begin() + static_cast<std::ptrdiff_t>(start),
                                               after.begin() + static_cast<std::ptrdiff_t>(start + size));
      const std::string differs = CompareEntryRemap(unit, remapped, map.entry, map.contrast, 1u << 14);
      if (!differs.empty() && differs.rfind("the original does not decode", 0) != 0) __builtin_trap();
    }
  }
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (before[i] != after[i] && !word[i]) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const FuzzFile input("in.sup");
  static const FuzzFile output("out.sup");
  LogRecorder log(kLogAll);
  ScopedLogTarget scoped(&log);
  if (!input.Write(data, size)) return 0;

  SupTabValues tab;
  CFileSUP sup(tab);
  const int count = sup.Load(input.Path());
  if (count < 0) {
    if (sup.HasData()) __builtin_trap();  // a failed load leaves nothing loaded
    return 0;
  }
  if (count != sup.PacketCount()) __builtin_trap();
  for (const std::int32_t packet : sup.PacketOffsets()) {
    if (packet < 0 || static_cast<std::size_t>(packet) >= size) __builtin_trap();
  }
  sup.ShowFileMapping();
  sup.ShowSupGrid();
  for (int slot = 0; slot < 4; ++slot) {
    tab.map[slot] = (slot * 5 + 3) % 16;
    tab.intensity[slot] = 15 - slot;
  }
  const std::vector<std::uint8_t> before = sup.Data();
  const bool saved = sup.Save(output.Path());
  const std::vector<std::uint8_t>& after = sup.Data();
  if (after.size() != before.size()) __builtin_trap();
  if (!saved) {
    if (after != before) __builtin_trap();  // a failed save leaves the document unchanged
    CheckEntryRemap(input, output, size % 2 == 1);
    return 0;
  }
  std::vector<std::uint8_t> written;
  if (ReadWholeFile(output.Path(), written, CFileSUP::kMaxFileSize) != ReadResult::kOk ||
      written != after) {
    __builtin_trap();
  }
  // Only command words differ: at most 4 bytes per packet.
  std::size_t changed = 0;
  for (std::size_t i = 0; i < after.size(); ++i) changed += after[i] != before[i];
  if (changed > 4 * static_cast<std::size_t>(count)) __builtin_trap();
  CheckEntryRemap(input, output, size % 2 == 1);
  return 0;
}
