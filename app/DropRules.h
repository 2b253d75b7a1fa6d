// SPDX-License-Identifier: GPL-3.0-or-later
// What a drop of files on the window opens: decided by each file's extension.
#pragma once

#include <string>
#include <vector>

// The files of one drop, sorted by kind. Extensions are compared ignoring letter case: ".sup"
// opens in the SUP tab, ".ifo" in the IFO tab, ".vob" files go to the VOB scan. A folder gives
// the .vob files in it, or, when it holds none, those of its VIDEO_TS folder (a disc's root).
// One SUP and one IFO file can be open: further ones are refused, as is anything else.
struct DroppedFiles {
  std::string sup;
  std::string ifo;
  std::vector<std::string> vobs;
  std::vector<std::string> refusals;  // one "WARNING - ..." log line for each thing not taken
};

DroppedFiles SortDroppedFiles(const std::vector<std::string>& paths);

// The extension of a path's file name in lower case, without the dot ("" when none).
std::string LowerExtension(const std::string& path);
