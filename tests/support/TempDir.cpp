// SPDX-License-Identifier: GPL-3.0-or-later
// Temporary folders and whole-file helpers for tests.
#include "tests/support/TempDir.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "core/Platform.h"

#ifdef _WIN32
#include <random>
#else
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

std::filesystem::path FileSystemPath(const std::string& utf8) {
  return std::filesystem::path(
      std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string NativePath(std::string path) {
#ifdef _WIN32
  std::replace(path.begin(), path.end(), '/', '\\');
#endif
  return path;
}

namespace {

std::string Utf8Text(const std::filesystem::path& path) {
  const std::u8string text = path.generic_u8string();
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

}  // namespace

#ifdef _WIN32
// Windows has no mkdtemp: a random name, made with create_directory, which fails if it exists.
TempDir::TempDir() {
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("velmoran-test-" + std::to_string(random() % 100000000));
    if (std::filesystem::create_directory(path)) path_ = Utf8Text(path);
  }
  if (path_.empty()) throw std::runtime_error("no temporary folder");
}
#else
TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "velmoran-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}
#endif

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(FileSystemPath(path_), ignored);
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(FileSystemPath(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

Bytes ReadFileBytes(const std::string& path) {
  std::ifstream in(FileSystemPath(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) { return PathExists(path); }

std::vector<std::string> ListFolder(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(FileSystemPath(path))) {
    names.push_back(Utf8Text(entry.path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

#ifdef _WIN32
int RunUnprivileged(const std::function<int()>&) { return -1; }
#else
int RunUnprivileged(const std::function<int()>& work) {
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivilegedUid) != 0 ||
                             ::setuid(kUnprivilegedUid) != 0)) {
      ::_exit(255);
    }
    ::_exit(work() & 0xFF);
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}
#endif
