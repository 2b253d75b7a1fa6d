// Fuzz target: a SUP file loaded, remapped and saved; nothing but command words may change.
#include <cstddef>
#include <cstdint>

#include "core/FileIO.h"
#include "core/Log.h"
#include "files/Filesup.h"
#include "files/Tabs.h"
#include "fuzz/FuzzFile.h"

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
  return 0;
}
