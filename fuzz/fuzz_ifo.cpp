// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: an IFO file loaded, its palette read, then saved with fuzzed hex texts.
#include <cstddef>
#include <cstdint>

#include "core/FileIO.h"
#include "core/Log.h"
#include "files/Fileifo.h"
#include "files/Tabs.h"
#include "fuzz/FuzzFile.h"
#include "tests/support/Recorders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const FuzzFile input("in.ifo");
  static const FuzzFile output("out.ifo");
  LogRecorder log(kLogAll);
  ScopedLogTarget scoped(&log);
  if (!input.Write(data, size)) return 0;

  IfoTabValues tab;
  CFileIFO ifo(tab);
  if (ifo.Load(input.Path()) != 16) {
    if (ifo.HasData()) __builtin_trap();  // a failed load leaves nothing loaded
    return 0;
  }
  for (int i = 0; i < 16; ++i) {
    int y = 0, cr = 0, cb = 0;
    if (!ifo.GetPaletteEntry(i, y, cr, cb)) __builtin_trap();
    // The last bytes of the input double as hex texts, so odd texts reach the save too.
    tab.hex[i] = FormatHexText(y, cr, cb);
    if (size > 16 && data[size - 1 - i] < 0x20) tab.hex[i].resize(data[size - 1 - i] % 7);
  }
  if (!ifo.Save(output.Path())) __builtin_trap();
  const std::vector<std::uint8_t> before = ifo.Data();
  std::vector<std::uint8_t> saved;
  if (ReadWholeFile(output.Path(), saved, kMaxIfoFileSize) != ReadResult::kOk) __builtin_trap();
  if (saved != before) __builtin_trap();  // the file holds exactly the document's bytes
  return 0;
}
