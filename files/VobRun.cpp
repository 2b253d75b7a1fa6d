// SPDX-License-Identifier: GPL-3.0-or-later
// The VOB tab's scan of several files, without the window.
#include "files/VobRun.h"

#include "core/Log.h"
#include "files/DiscLayout.h"

namespace {

void AddStreams(const std::array<VobStreamUsage, kSubpictureStreams>& file,
                std::array<VobStreamUsage, kSubpictureStreams>& total) {
  for (std::size_t s = 0; s < file.size(); ++s) {
    total[s].subtitles += file[s].subtitles;
    total[s].dropped += file[s].dropped;
    for (std::size_t i = 0; i < file[s].usage.size(); ++i) {
      for (std::size_t slot = 0; slot < file[s].usage[i].size(); ++slot) {
        if (file[s].usage[i][slot] >= 0) total[s].usage[i][slot] = file[s].usage[i][slot];
      }
    }
  }
}

}  // namespace

VobRunResult RunVobFiles(CFileVOB& vob, const std::vector<std::string>& paths, bool firstOnly,
                         PaletteGridCells& grid, VobSubtitleIndex* subtitles) {
  VobRunResult result;
  if (subtitles != nullptr) {
    subtitles->Clear();
    vob.SetCollectUnits(true);
  }
  for (VobStreamUsage& stream : result.streams) {
    for (auto& row : stream.usage) row.fill(-1);
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
    AddStreams(vob.StreamUsage(), result.streams);
    result.lost.insert(result.lost.end(), vob.LostUnits().begin(), vob.LostUnits().end());
    if (firstOnly) return result;
  }
  if (!paths.empty()) LogMessage(kLogInfo, "Finished with all files!!!");
  return result;
}

void SortVobPaths(std::vector<std::string>& paths) { SortFolded(paths); }
