// velmoran-cli's paths: folders given as operands.
#include "cli/CliPaths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>

#include "core/Platform.h"

bool IsFolder(const std::string& path) {
  struct stat info {};
  return StatPath(path, info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<std::string> FolderFiles(const std::string& folder, const std::string& extension) {
  const auto folded = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
  };
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return names;
  const std::string wanted = folded(extension);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.size() <= wanted.size() ||
        folded(name.substr(name.size() - wanted.size())) != wanted) {
      continue;
    }
    const std::string path = folder + (folder.back() == '/' ? "" : "/") + name;
    struct stat info {};
    if (StatPath(path, info) == 0 && S_ISREG(info.st_mode)) names.push_back(path);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
    const std::string fa = folded(a), fb = folded(b);
    return fa != fb ? fa < fb : a < b;
  });
  return names;
}
