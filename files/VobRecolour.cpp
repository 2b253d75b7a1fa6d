// SPDX-License-Identifier: GPL-3.0-or-later
// The VOB tab's recolour. Copies are made in a folder of their own beside their targets so that
// the parts of a title set keep their names (the remap completes a unit from the next part by
// name), are recoloured there by the same in-place remap as the originals would be, and are
// renamed into place only at the end: a run that stops leaves the target folder untouched.
#include "files/VobRecolour.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/FileIO.h"
#include "core/Log.h"
#include "core/Platform.h"
#include "core/Progress.h"
#include "files/DiscLayout.h"

namespace {

constexpr std::int64_t kCopyStep = std::int64_t{4} << 20;  // between looks at Cancel

// Whether two paths name the same existing file.
bool SameFile(const std::string& a, const std::string& b) {
#ifdef _WIN32
  // No inode numbers there: the names, compared as the system compares them.
  return PathExists(a) && FoldCase(a) == FoldCase(b);
#else
  struct stat x {};
  struct stat y {};
  return StatPath(a, x) == 0 && StatPath(b, y) == 0 && x.st_dev == y.st_dev &&
         x.st_ino == y.st_ino;
#endif
}

// A new, empty folder inside `folder`; empty (logged) when none can be made.
std::string MakeStagingFolder(const std::string& folder) {
  for (int n = 0; n < 100; ++n) {
    const std::string path = JoinPath(folder, ".velmoran-recolour-" + std::to_string(n));
    std::error_code error;
    if (std::filesystem::create_directory(path, error)) return path;
    if (error) break;
  }
  LogMessage(kLogError, "ERROR - Can't Create folder in [%s]", folder.c_str());
  return {};
}

// Copies `from` to `to` under the progress window; false (logged) when it fails or is
// cancelled. The copy is not forced to the disk: the remap that follows flushes what it writes.
bool CopyFile(const std::string& from, const std::string& to) {
  const FileDescriptor in(OpenForReading(from));
  struct stat info {};
  if (!in.valid() || StatPath(from, info) != 0) {
    LogMessage(kLogError, "ERROR - Can't open [%s]", from.c_str());
    return false;
  }
  const std::int64_t size = info.st_size;
  AtomicFile target(to, AtomicFile::Durability::kNoFlush);
  if (!target.Create()) {
    LogMessage(kLogError, "ERROR - Can't Create [%s]", to.c_str());
    return false;
  }
  ProgressStart(size, "Copying VOB file [%s]", from.c_str());
  struct End {
    ~End() { ProgressEnd(); }
  } end;
  for (std::int64_t offset = 0; offset < size; offset += kCopyStep) {
    if (PumpMessages()) {
      LogMessage(kLogWarning, "WARNING - Cancel button pressed process aborted!");
      return false;
    }
    ProgressStep(offset, nullptr);
    const std::int64_t length = std::min(kCopyStep, size - offset);
    if (!target.CopyFrom(in.get(), offset, static_cast<std::uint64_t>(length))) {
      LogMessage(kLogError, "ERROR - Can't write to file [%s]", to.c_str());
      return false;
    }
  }
  if (!target.Commit()) {
    LogMessage(kLogError, "ERROR - Can't write to file [%s]", to.c_str());
    return false;
  }
  return true;
}

// Removes the staging folder and what is in it.
void RemoveStaging(const std::string& staging, const std::vector<std::string>& copies) {
  for (const std::string& copy : copies) RemoveFile(copy);
  std::error_code error;
  std::filesystem::remove(staging, error);
}

bool RecolourCopies(const EntryMap& map, int stream, const std::vector<std::string>& paths,
                    const std::string& folder, std::vector<VobFilePlan>& plans) {
  const std::vector<std::string> targets = RecolourTargets(paths, folder);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (SameFile(paths[i], targets[i])) {
      LogMessage(kLogError, "ERROR - The copy would replace the file itself [%s]",
                 paths[i].c_str());
      return false;
    }
  }
  const std::string staging = MakeStagingFolder(folder);
  if (staging.empty()) return false;
  const std::vector<std::string> copies = RecolourTargets(paths, staging);
  std::vector<std::string> made;
  const auto fail = [&] {
    RemoveStaging(staging, made);
    return false;
  };
  for (std::size_t i = 0; i < paths.size(); ++i) {
    made.push_back(copies[i]);
    if (!CopyFile(paths[i], copies[i])) return fail();
  }
  VobRemap remap(map, stream);
  if (!remap.Plan(copies) || !remap.WriteInPlace()) return fail();
  for (std::size_t i = 0; i < copies.size(); ++i) {
    if (!ReplaceFileWith(copies[i], targets[i])) {
      // The copies moved so far are whole and recoloured; the rest stay where they were made.
      LogMessage(kLogError, "ERROR - Can't move [%s] to [%s]", copies[i].c_str(),
                 targets[i].c_str());
      made.erase(made.begin(), made.begin() + static_cast<std::ptrdiff_t>(i));
      return fail();
    }
  }
  RemoveStaging(staging, {});
  plans = remap.Plans();
  for (std::size_t i = 0; i < plans.size() && i < paths.size(); ++i) plans[i].path = paths[i];
  return true;
}

}  // namespace

std::vector<std::string> RecolourTargets(const std::vector<std::string>& paths,
                                         const std::string& folder) {
  std::vector<std::string> targets;
  for (const std::string& path : paths) targets.push_back(JoinPath(folder, FileNameOf(path)));
  return targets;
}

bool RecolourVobFiles(const EntryMap& map, int stream, const std::vector<std::string>& paths,
                      const std::string& folder, std::vector<VobFilePlan>& plans) {
  plans.clear();
  if (!folder.empty()) return RecolourCopies(map, stream, paths, folder, plans);
  VobRemap remap(map, stream);
  if (!remap.Plan(paths) || !remap.WriteInPlace()) return false;
  plans = remap.Plans();
  return true;
}
