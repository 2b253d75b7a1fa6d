// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: a VOB scanned for every subtitle, then its usage table shown in a grid.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Log.h"
#include "core/Progress.h"
#include "files/Filevob.h"
#include "files/Tabs.h"
#include "fuzz/FuzzFile.h"
#include "tests/support/Recorders.h"

namespace {

// Checks that the scanner writes only the grid's odd columns, rows 0-3.
class CountingGrid : public PaletteGridCells {
 public:
  void SetGridCell(int column, int row, const std::string&) override {
    if (column < 0 || column > 31 || column % 2 == 0 || row < 0 || row > 3) __builtin_trap();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const FuzzFile input("in.vob");
  LogRecorder log(kLogAll);
  ScopedLogTarget scoped(&log);
  ProgressRecorder progress;
  ScopedProgressHost host(&progress);
  if (!input.Write(data, size)) return 0;

  CountingGrid grid;
  CFileVOB vob;
  for (const bool firstOnly : {false, true}) {
    if (!vob.Open(input.Path())) __builtin_trap();
    const int found = vob.Scan(firstOnly);
    // Every way out closes the file and frees every unit.
    if (vob.IsOpen() || !vob.NoUnitsHeld() || !vob.Path().empty()) __builtin_trap();
    if (firstOnly && found > 1) __builtin_trap();
    for (const auto& slots : vob.Usage()) {
      for (const int intensity : slots) {
        if (intensity < -1 || intensity > 15) __builtin_trap();
      }
    }
    vob.ShowVobGrid(grid);
  }
  return 0;
}
