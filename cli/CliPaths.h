// velmoran-cli's paths: folders given as operands.
#pragma once

#include <string>
#include <vector>

// True when `path` names a folder.
bool IsFolder(const std::string& path);

// The files in `folder` whose names end in `extension` (".IFO"; letter case ignored), as
// folder/name, sorted by name ignoring case. Empty when there are none or the folder can't be read.
std::vector<std::string> FolderFiles(const std::string& folder, const std::string& extension);
