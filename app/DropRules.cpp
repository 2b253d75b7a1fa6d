// SPDX-License-Identifier: GPL-3.0-or-later
// What a drop of files on the window opens: decided by each file's extension.
#include "app/DropRules.h"

#include <algorithm>

#include "core/Log.h"
#include "files/DiscLayout.h"

std::string LowerExtension(const std::string& path) {
  const std::string name = FileNameOf(path);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? std::string() : FoldCase(name.substr(dot + 1));
}

DroppedFiles SortDroppedFiles(const std::vector<std::string>& paths) {
  DroppedFiles files;
  for (const std::string& path : paths) {
    if (IsFolder(path)) {
      // The folder's VOB files, or those of its VIDEO_TS folder for a disc's root.
      const std::vector<std::string> vobs = FolderFiles(path, ".vob");
      if (vobs.empty())
        files.refusals.push_back(FormatText("WARNING - No VOB files in folder [%s]", path.c_str()));
      files.vobs.insert(files.vobs.end(), vobs.begin(), vobs.end());
      continue;
    }
    const std::string extension = LowerExtension(path);
    std::string* single = extension == "sup"   ? &files.sup
                          : extension == "ifo" ? &files.ifo
                                               : nullptr;
    if (extension == "vob") {
      files.vobs.push_back(path);
    } else if (single != nullptr && single->empty()) {
      *single = path;
    } else if (single != nullptr) {
      files.refusals.push_back(FormatText("WARNING - Only one %s file can be open, not opened [%s]",
                                          extension == "sup" ? "SUP" : "IFO", path.c_str()));
    } else {
      files.refusals.push_back(
          FormatText("WARNING - Not a SUP, IFO or VOB file, not opened [%s]", path.c_str()));
    }
  }
  // A file dropped both alone and inside its folder is scanned once.
  std::vector<std::string> unique;
  for (const std::string& vob : files.vobs)
    if (std::find(unique.begin(), unique.end(), vob) == unique.end()) unique.push_back(vob);
  files.vobs = std::move(unique);
  return files;
}
