// SPDX-License-Identifier: GPL-3.0-or-later
// Remapping the subtitle units inside VOB files by palette entry, in place in their packs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/EntryRemap.h"
#include "core/Log.h"

// One byte of a file to change.
struct VobPatch {
  std::int64_t offset = 0;
  std::uint8_t before = 0;
  std::uint8_t after = 0;
};

// What the remap changes in one file.
struct VobFilePlan {
  std::string path;
  std::vector<VobPatch> patches;  // sorted by offset
  int units = 0;                  // units of the chosen streams that begin in this file
  int remapped = 0;               // those of them that change
};

// Plans, then writes, the entry remap of the subtitle units of one subpicture stream (0-31),
// or of all (-1), in VOB files. Nothing is written before every file is planned.
class VobRemap {
 public:
  VobRemap(const EntryMap& map, int stream) : map_(map), stream_(stream) {}

  // Scans the files in the order given, each completed from the next when that is its next part
  // (IsNextVobPart), and plans every unit of the chosen streams. False, with the error line,
  // when a file can't be scanned or the scan is cancelled; when a unit of the chosen streams is
  // damaged, cut short, begun in a part not given, or can't be walked; or when no file holds a
  // unit of the chosen streams.
  bool Plan(const std::vector<std::string>& paths);
  const std::vector<VobFilePlan>& Plans() const { return plans_; }
  // The level of the scan's file and count lines (CFileVOB::SetScanLineLevel); info by default.
  void SetScanLineLevel(int level) { scanLineLevel_ = level; }

  // Plans one file as Plan does while writing its copy, changed bytes and all, beside `out`, then
  // replaces `out` with it: a safe save, `out` is replaced only once the copy is complete. The
  // copy is renamed into place unflushed, as cp leaves its copy.
  bool PlanAndWriteCopy(const std::string& path, const std::string& out);
  // Changes the planned bytes of every file where they stand. Every file is opened and every
  // byte checked against the plan before the first write; when a write fails or the run is
  // cancelled, every byte written so far is put back, and a file that still holds new bytes
  // after that is named. One file is open at a time.
  bool WriteInPlace() const;

 private:
  class PlanSink;
  bool PlanWith(const std::vector<std::string>& paths, PlanSink& sink);

  EntryMap map_;
  int stream_;
  std::vector<VobFilePlan> plans_;
  int scanLineLevel_ = kLogInfo;
};
