// SPDX-License-Identifier: GPL-3.0-or-later
// A DVD's layout: file kinds, title sets, parts, backup twins and the folders that hold a disc.
//
// Names are compared without case on every system: discs are mastered in upper case, but copies
// on other file systems often come out in lower or mixed case. Folders are listed through the
// platform layer (ReadFolder), and paths split at every separator the system knows, so a
// Windows path with backslashes works as a POSIX one does.
#include "files/DiscLayout.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "core/Log.h"
#include "core/Platform.h"

namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }
int TwoDigits(const std::string& text, std::size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); }

// The files of one folder (already the disc folder), their entries as listed.
std::vector<FolderEntry> Entries(const std::string& folder) {
  std::vector<FolderEntry> entries;
  ReadFolder(folder, entries);
  return entries;
}

// Whether two folder parts (FolderPartOf) name the same folder as written: separators may differ
// where the system has two, and letter case where it ignores it.
bool SameFolder(const std::string& a, const std::string& b) {
#ifdef _WIN32
  std::string x = FoldCase(a), y = FoldCase(b);
  std::replace(x.begin(), x.end(), '\\', '/');
  std::replace(y.begin(), y.end(), '\\', '/');
  return x == y;
#else
  return a == b;
#endif
}

}  // namespace

std::string FoldCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool HasExtension(const std::string& path, const std::string& extension) {
  const std::string name = FileNameOf(path);
  return name.size() > extension.size() &&
         FoldCase(name.substr(name.size() - extension.size())) == FoldCase(extension);
}

std::string FileNameOf(const std::string& path) {
  const std::size_t separator = path.find_last_of(kPathSeparators);
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string FolderPartOf(const std::string& path) {
  const std::size_t separator = path.find_last_of(kPathSeparators);
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const bool ended = std::string(kPathSeparators).find(folder.back()) != std::string::npos;
  return folder + (ended ? "" : "/") + name;
}

DiscFile ClassifyDiscFile(const std::string& path) {
  const std::string name = FoldCase(FileNameOf(path));
  DiscFile file;
  const auto kindOf = [](const std::string& extension) {
    if (extension == ".ifo") return DiscFileKind::kIfo;
    if (extension == ".bup") return DiscFileKind::kBackup;
    if (extension == ".vob") return DiscFileKind::kMenuVob;
    return DiscFileKind::kOther;
  };
  if (name.size() == 12 && name.compare(0, 8, "video_ts") == 0) {
    file.kind = kindOf(name.substr(8));
    return file;
  }
  // vts_nn_k.ext
  if (name.size() != 12 || name.compare(0, 4, "vts_") != 0 || name[6] != '_' || !Digit(name[4]) ||
      !Digit(name[5]) || !Digit(name[7]) || TwoDigits(name, 4) == 0) {
    return file;
  }
  const DiscFileKind kind = kindOf(name.substr(8));
  const int part = name[7] - '0';
  if (kind == DiscFileKind::kOther || (kind != DiscFileKind::kMenuVob && part != 0)) return file;
  file.titleSet = TwoDigits(name, 4);
  if (kind == DiscFileKind::kMenuVob && part > 0) {
    file.kind = DiscFileKind::kTitleVob;
    file.part = part;
  } else {
    file.kind = kind;
  }
  return file;
}

void SortFolded(std::vector<std::string>& paths) {
  std::stable_sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
    const std::string fa = FoldCase(a);
    const std::string fb = FoldCase(b);
    return fa != fb ? fa < fb : a < b;
  });
}

bool IsNextVobPart(const std::string& path, const std::string& next) {
  if (!SameFolder(FolderPartOf(path), FolderPartOf(next))) return false;
  const DiscFile first = ClassifyDiscFile(path);
  const DiscFile second = ClassifyDiscFile(next);
  return first.kind == DiscFileKind::kTitleVob && second.kind == DiscFileKind::kTitleVob &&
         first.titleSet == second.titleSet && second.part == first.part + 1;
}

std::vector<std::string> OrderVobParts(const std::vector<std::string>& paths) {
  std::vector<std::string> ordered = paths;
  bool moved = false;
  std::vector<bool> done(paths.size(), false);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const DiscFile file = ClassifyDiscFile(paths[i]);
    if (done[i] || file.kind != DiscFileKind::kTitleVob) continue;
    // Every title VOB of the same folder and title set, in the places they were given.
    std::vector<std::size_t> places;
    for (std::size_t j = i; j < paths.size(); ++j) {
      const DiscFile other = ClassifyDiscFile(paths[j]);
      if (other.kind == DiscFileKind::kTitleVob && other.titleSet == file.titleSet &&
          SameFolder(FolderPartOf(paths[j]), FolderPartOf(paths[i]))) {
        places.push_back(j);
        done[j] = true;
      }
    }
    std::vector<std::string> parts;
    for (const std::size_t place : places) parts.push_back(paths[place]);
    std::stable_sort(parts.begin(), parts.end(), [](const std::string& a, const std::string& b) {
      return ClassifyDiscFile(a).part < ClassifyDiscFile(b).part;
    });
    for (std::size_t k = 0; k < places.size(); ++k) {
      if (ordered[places[k]] != parts[k]) moved = true;
      ordered[places[k]] = parts[k];
    }
  }
  if (moved) {
    LogMessage(kLogWarning, "WARNING - VOB parts given out of order are taken in part order [%s]",
               ordered.front().c_str());
  }
  return ordered;
}

std::string BackupTwinPath(const std::string& ifoPath) {
  const std::string name = FileNameOf(ifoPath);
  if (name.size() < 5 || !HasExtension(name, ".ifo")) return {};
  const std::string stem = name.substr(0, name.size() - 3);
  // Prefer the twin whose extension has the IFO's letter case, letter by letter.
  std::string mirrored = stem;
  for (std::size_t i = 0; i < 3; ++i) {
    const char c = "bup"[i];
    mirrored += std::isupper(static_cast<unsigned char>(name[stem.size() + i]))
                    ? static_cast<char>(std::toupper(static_cast<unsigned char>(c)))
                    : c;
  }
  const std::string folder = FolderPartOf(ifoPath);
  const std::string wanted = FoldCase(mirrored);
  std::vector<std::string> found;
  for (const FolderEntry& entry : Entries(folder)) {
    if (entry.regular && FoldCase(entry.name) == wanted) found.push_back(entry.name);
  }
  if (found.empty()) return {};
  SortFolded(found);
  const auto exact = std::find(found.begin(), found.end(), mirrored);
  return folder + (exact != found.end() ? *exact : found.front());
}

std::string TitleSetIfoPath(const std::string& vobPath) {
  const DiscFile vob = ClassifyDiscFile(vobPath);
  if (vob.kind != DiscFileKind::kTitleVob && vob.kind != DiscFileKind::kMenuVob) return {};
  if (vob.titleSet == 0) return {};
  const std::string folder = FolderPartOf(vobPath);
  std::vector<std::string> found;
  for (const FolderEntry& entry : Entries(folder)) {
    const DiscFile file = ClassifyDiscFile(entry.name);
    if (entry.regular && file.kind == DiscFileKind::kIfo && file.titleSet == vob.titleSet) {
      found.push_back(entry.name);
    }
  }
  if (found.empty()) return {};
  SortFolded(found);
  return folder + found.front();
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return StatPath(path, info) == 0 && S_ISDIR(info.st_mode);
}

std::string DiscFolder(const std::string& folder) {
  std::optional<std::string> videoTs;
  for (const FolderEntry& entry : Entries(folder)) {
    const DiscFileKind kind = ClassifyDiscFile(entry.name).kind;
    if (entry.regular && (kind == DiscFileKind::kIfo || HasExtension(entry.name, ".vob"))) return folder;
    if (entry.folder && FoldCase(entry.name) == "video_ts" && !videoTs) videoTs = entry.name;
  }
  return videoTs ? JoinPath(folder, *videoTs) : folder;
}

std::vector<std::string> FolderFiles(const std::string& folder, const std::string& extension) {
  const std::string disc = DiscFolder(folder);
  std::vector<std::string> names;
  for (const FolderEntry& entry : Entries(disc)) {
    if (entry.regular && HasExtension(entry.name, extension)) names.push_back(JoinPath(disc, entry.name));
  }
  SortFolded(names);
  return names;
}

std::vector<std::vector<std::string>> TitleVobGroups(const std::string& folder) {
  std::vector<std::string> titleVobs;
  for (const std::string& path : FolderFiles(folder, ".vob")) {
    if (ClassifyDiscFile(path).kind == DiscFileKind::kTitleVob) titleVobs.push_back(path);
  }
  // Sorted by name, so by title set and then by part.
  std::vector<std::vector<std::string>> groups;
  for (const std::string& path : titleVobs) {
    if (groups.empty() || ClassifyDiscFile(groups.back().back()).titleSet != ClassifyDiscFile(path).titleSet) {
      groups.emplace_back();
    }
    groups.back().push_back(path);
  }
  return groups;
}
