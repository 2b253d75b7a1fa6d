// What a drop of files on the window opens: decided by each file's extension.
#include "app/DropRules.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "core/Log.h"

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The .vob files directly in `folder`.
std::vector<std::string> VobFilesIn(const fs::path& folder) {
  std::vector<std::string> found;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code typeError;
    if (it->is_regular_file(typeError) && LowerExtension(it->path().string()) == "vob")
      found.push_back(it->path().string());
  }
  return found;
}

// A disc's root holds its title sets in VIDEO_TS, whatever the letter case.
fs::path VideoTsFolderIn(const fs::path& folder) {
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code typeError;
    if (it->is_directory(typeError) && Lower(it->path().filename().string()) == "video_ts")
      return it->path();
  }
  return {};
}

}  // namespace

std::string LowerExtension(const std::string& path) {
  const std::string name = fs::path(path).filename().string();
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? std::string() : Lower(name.substr(dot + 1));
}

DroppedFiles SortDroppedFiles(const std::vector<std::string>& paths) {
  DroppedFiles files;
  for (const std::string& path : paths) {
    std::error_code error;
    if (fs::is_directory(path, error)) {
      std::vector<std::string> vobs = VobFilesIn(path);
      if (vobs.empty()) {
        const fs::path videoTs = VideoTsFolderIn(path);
        if (!videoTs.empty()) vobs = VobFilesIn(videoTs);
      }
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
