// SPDX-License-Identifier: GPL-3.0-or-later
// The VOB tab's scan of several files, without the window.
#include "files/VobRun.h"

#include "core/Log.h"
#include "files/DiscLayout.h"

VobRunResult RunVobFiles(CFileVOB& vob, const std::vector<std::string>& paths, bool firstOnly,
                         PaletteGridCells& grid, VobSubtitleIndex* subtitles) {
  VobRunResult result;
  if (subtitles != nullptr) {
    subtitles->Clear();
    vob.SetCollectUnits(true);
  }
  const auto stop = [&] {
    result.emptyList = true;
    if (subtitles != nullptr) subtitles->Clear();
    vob.ClearMapping();
    vob.ShowVobGrid(grid);
    return result;
  };
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (!vob.Open(paths[i])) return stop();
    const bool continued = i + 1 < paths.size() && IsNextVobPart(paths[i], paths[i + 1]);
    if (continued) vob.SetNextPart(paths[i + 1]);
    if (vob.Scan(firstOnly) <= 0) return stop();
    if (subtitles != nullptr) {
      subtitles->Add(vob.UnitFacts(), paths[i], continued ? paths[i + 1] : std::string());
    }
    vob.ShowVobGrid(grid);
    ++result.filesScanned;
    if (firstOnly) return result;
  }
  if (!paths.empty()) LogMessage(kLogInfo, "Finished with all files!!!");
  return result;
}

void SortVobPaths(std::vector<std::string>& paths) { SortFolded(paths); }
