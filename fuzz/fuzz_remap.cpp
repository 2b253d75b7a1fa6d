// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the entry remap of a VOB's subtitle units, planned, written in place and copied.
// Every planned byte lies inside the file and holds the byte planned from; only planned bytes
// change; the copy equals the file remapped in place, and its source stays as it was.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Log.h"
#include "core/Progress.h"
#include "files/VobRemap.h"
#include "fuzz/FuzzFile.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempDir.h"

namespace {

EntryMap FuzzMap() {
  EntryMap map;
  for (int i = 0; i < 16; ++i) {
    map.entry[static_cast<std::size_t>(i)] = (i + 5) % 16;
    map.contrast[static_cast<std::size_t>(i)] = i % 3 == 0 ? 15 - i : -1;
  }
  return map;
}

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const FuzzFile input("remap-in.vob");
  static const FuzzFile inPlace("remap-in-place.vob");
  static const FuzzFile copy("remap-copy.vob");
  LogRecorder log(kLogAll);
  ScopedLogTarget scoped(&log);
  ProgressRecorder progress;
  ScopedProgressHost host(&progress);
  if (!input.Write(data, size) || !inPlace.Write(data, size)) return 0;
  const Bytes original(data, data + size);

  VobRemap planned(FuzzMap(), -1);
  const bool plans = planned.Plan({input.Path()});
  Bytes expected = original;
  if (plans) {
    Check(planned.Plans().size() == 1);
    std::int64_t previous = -1;
    for (const VobPatch& patch : planned.Plans().front().patches) {
      Check(patch.offset > previous && patch.offset < static_cast<std::int64_t>(size));
      Check(original[static_cast<std::size_t>(patch.offset)] == patch.before);
      Check(patch.before != patch.after);
      expected[static_cast<std::size_t>(patch.offset)] = patch.after;
      previous = patch.offset;
    }
  }

  // In place: only the planned bytes change; a refused plan changes nothing.
  VobRemap place(FuzzMap(), -1);
  Check(place.Plan({inPlace.Path()}) == plans);
  if (plans) Check(place.WriteInPlace());
  Check(ReadFileBytes(inPlace.Path()) == expected);

  // The copy: the same bytes as in place, the source untouched.
  copy.Write(nullptr, 0);
  VobRemap copier(FuzzMap(), -1);
  Check(copier.PlanAndWriteCopy(input.Path(), copy.Path()) == plans);
  Check(ReadFileBytes(input.Path()) == original);
  Check(ReadFileBytes(copy.Path()) == (plans ? expected : Bytes{}));
  return 0;
}
