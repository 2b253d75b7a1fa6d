// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli's outputs that are not OUT itself: "-o -" (standard output) and --dry-run.
#include "cli/CliOutput.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "core/FileIO.h"
#include "core/Log.h"
#include "core/Platform.h"

SaveTarget::SaveTarget(const std::string& out, bool dryRun) : path_(out) {
  toStdout_ = out == "-" && !dryRun;
  if (!dryRun && out != "-") return;
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  path_ = ((error ? std::filesystem::path(".") : folder) / "velmoran-cli-XXXXXX").string();
  const FileDescriptor fd(CreateUniqueFile(path_));
  if (!fd.valid()) {
    throw std::runtime_error("a temporary file can't be made: " +
                             std::string(std::strerror(errno)));
  }
  temporary_ = true;
  standIn_.emplace(path_, dryRun ? "" : "-");
}

SaveTarget::~SaveTarget() {
  if (temporary_) RemoveFile(path_);
}

bool SaveTarget::Finish() const {
  if (!toStdout_) return true;
  const FileDescriptor fd(OpenForReading(path_));
  std::vector<char> buffer(1 << 16);
  while (fd.valid()) {
    const ssize_t got = ReadSome(fd.get(), buffer.data(), buffer.size());
    if (got == 0) return true;  // write errors on standard output are reported when it closes
    if (got < 0) break;
    std::fwrite(buffer.data(), 1, static_cast<std::size_t>(got), stdout);
  }
  std::fprintf(stderr, "velmoran-cli: %s: %s\n", path_.c_str(), std::strerror(errno));
  return false;
}

std::vector<std::uint8_t> SaveTarget::Saved() const {
  std::vector<std::uint8_t> bytes;
  ReadWholeFile(path_, bytes, UINT64_MAX);
  return bytes;
}

std::uint64_t ChangedBytes(const std::vector<std::uint8_t>& before,
                           const std::vector<std::uint8_t>& after) {
  const std::size_t common = std::min(before.size(), after.size());
  std::uint64_t changed = std::max(before.size(), after.size()) - common;
  for (std::size_t i = 0; i < common; ++i) changed += before[i] != after[i] ? 1 : 0;
  return changed;
}

void PrintDryRun(const std::string& file, const char* what, std::uint64_t count,
                 std::uint64_t bytes) {
  std::printf("file: %s\n%s: %llu\nbytes: %llu\n", OneLine(file).c_str(), what,
              static_cast<unsigned long long>(count), static_cast<unsigned long long>(bytes));
}
