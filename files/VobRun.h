// SPDX-License-Identifier: GPL-3.0-or-later
// The VOB tab's scan of several files, without the window: the files in the list's order,
// each completed from the next when that is its next part.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "files/Filevob.h"
#include "files/SubtitleSource.h"

// What the window does after its open dialog. `paths` are scanned in the order given (the
// list's sorted order). With `subtitles`, it is filled with where the units of every stream lie
// (emptied when the run stops on a failure).
struct VobRunResult {
  bool emptyList = false;  // the window empties its file list (the grid is blanked already)
  int filesScanned = 0;    // files whose scan counted at least one subtitle
  // Per subpicture stream, over the files scanned: subtitles and units dropped added up, and
  // the usage merged (a later file's intensity overwrites an earlier one's, as within a file).
  std::array<VobStreamUsage, kSubpictureStreams> streams{};
  std::vector<VobLostUnit> lost;  // every unit dropped, file by file
};
VobRunResult RunVobFiles(CFileVOB& vob, const std::vector<std::string>& paths, bool firstOnly,
                         PaletteGridCells& grid, VobSubtitleIndex* subtitles = nullptr);

// Sorts paths as the VOB tab's file list keeps them: alphabetically, ignoring letter case.
void SortVobPaths(std::vector<std::string>& paths);
