// SPDX-License-Identifier: GPL-3.0-or-later
// A scratch file in memory-backed storage for fuzz targets whose documents load from a path.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

class FuzzFile {
 public:
  explicit FuzzFile(const char* name) {
    const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    path_ = std::string(base) + "/velmoran-fuzz-" + std::to_string(::getpid()) + "-" + name;
  }
  ~FuzzFile() { std::remove(path_.c_str()); }

  const std::string& Path() const { return path_; }

  bool Write(const std::uint8_t* data, std::size_t size) const {
    std::FILE* file = std::fopen(path_.c_str(), "wb");
    if (file == nullptr) return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
  }

 private:
  std::string path_;
};
