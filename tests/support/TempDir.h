// SPDX-License-Identifier: GPL-3.0-or-later
// Temporary folders and whole-file helpers for tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  // The path of `name` inside the folder.
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// A UTF-8 path as the standard library's path, for any file name on any system.
std::filesystem::path FileSystemPath(const std::string& utf8);

// The path as the system writes it: on Windows with backslashes ("C:\\Temp\\x"), elsewhere as
// it is.
std::string NativePath(std::string path);

void WriteFileBytes(const std::string& path, const Bytes& bytes);
Bytes ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
// Names of the entries in a folder, "." and ".." left out, sorted.
std::vector<std::string> ListFolder(const std::string& path);

// The user id that RunUnprivileged runs as when the tests run as root ("nobody").
constexpr unsigned kUnprivilegedUid = 65534;
// Runs `work` in a child process without root's powers (as kUnprivilegedUid when the tests run
// as root, as the user itself otherwise) and returns its result (0-255), or -1 when the child
// failed (always on Windows, which has no fork). Files it must reach need permissions for that
// user.
int RunUnprivileged(const std::function<int()>& work);
