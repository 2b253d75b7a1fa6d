// SPDX-License-Identifier: GPL-3.0-or-later
// The few file-system calls that differ between POSIX and Windows.
#include "core/Platform.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <random>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#endif

bool PathExists(const std::string& path) {
  struct stat info {};
  return StatPath(path, info) == 0;
}

bool MakeFolders(const std::string& folder) {
  const std::filesystem::path path(
      std::u8string(reinterpret_cast<const char8_t*>(folder.data()), folder.size()));
  std::error_code error;
  std::filesystem::create_directories(path, error);
  return std::filesystem::is_directory(path, error);
}

#ifdef _WIN32

std::wstring WidePath(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                         nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

std::string Utf8FromWide(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size,
                        nullptr, nullptr);
  return utf8;
}

int OpenForReading(const std::string& path) {
  if (path == "-") {
    ::_setmode(0, _O_BINARY);  // a Ctrl-Z byte in text mode would end the input
    return ::_dup(0);
  }
  return ::_wopen(WidePath(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

int OpenForWriting(const std::string& path) {
  return ::_wopen(WidePath(path).c_str(), _O_WRONLY | _O_BINARY | _O_NOINHERIT);
}

int OpenForUpdate(const std::string& path) {
  return ::_wopen(WidePath(path).c_str(), _O_RDWR | _O_BINARY | _O_NOINHERIT);
}

// The C runtime has no pread or pwrite: seek, then read or write.
ssize_t ReadAtOffset(int fd, std::int64_t offset, void* buffer, std::size_t size) {
  if (::_lseeki64(fd, offset, SEEK_SET) != offset) return -1;
  return ::_read(fd, buffer, static_cast<unsigned>(size));
}

ssize_t WriteAtOffset(int fd, std::int64_t offset, const void* buffer, std::size_t size) {
  if (::_lseeki64(fd, offset, SEEK_SET) != offset) return -1;
  return ::_write(fd, buffer, static_cast<unsigned>(size));
}

ssize_t CopyFileBytes(int, std::int64_t, int, std::size_t) {
  errno = ENOSYS;
  return -1;
}

void AdviseSequentialRead(int) {}

void StartWriteBack(int, std::int64_t, std::uint64_t) {}

void AdviseLargePages(void*, std::size_t) {}

int StatPath(const std::string& path, struct stat& info) {
  return ::_wstat64(WidePath(path).c_str(), &info);
}

std::string ResolveSymbolicLink(const std::string& path) { return path; }

int CreateNewFile(const std::string& path, unsigned) {
  return ::_wopen(WidePath(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                  _S_IREAD | _S_IWRITE);
}

// The C runtime's st_nlink is always 1; the handle knows the real count. Unknown counts as two,
// so that the file is rewritten in place and every name keeps seeing it.
unsigned LinkCount(int fd) {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  BY_HANDLE_FILE_INFORMATION info {};
  if (handle == INVALID_HANDLE_VALUE || !::GetFileInformationByHandle(handle, &info)) return 2;
  return info.nNumberOfLinks;
}

bool CopyExtendedAttributes(int, int) { return true; }

bool HasOwnerAndMode(int, const struct stat&) { return true; }

int CreateUniqueFile(std::string& path) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = path;
    for (std::size_t i = name.size() - 6; i < name.size(); ++i) name[i] = kLetters[random() % 36];
    const int fd = ::_wopen(WidePath(name).c_str(),
                            _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                            _S_IREAD | _S_IWRITE);
    if (fd >= 0) {
      path = name;
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

bool RemoveFile(const std::string& path) { return ::_wunlink(WidePath(path).c_str()) == 0; }

bool ReplaceFileWith(const std::string& from, const std::string& to) {
  return ::MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool SetFileMode(int, unsigned) { return true; }

bool SetFileOwner(int, unsigned, unsigned) { return true; }

unsigned CurrentUmask() { return 0; }

bool FlushFileData(int fd) { return ::_commit(fd) == 0; }

bool TruncateFile(int fd, std::uint64_t size) {
  return ::_chsize_s(fd, static_cast<__int64>(size)) == 0;
}

bool FolderWritable(const std::string& folder) {
  return ::_waccess(WidePath(folder).c_str(), 2) == 0;
}

std::string EnvironmentValue(const char* name) {
  const wchar_t* value = ::_wgetenv(WidePath(name).c_str());
  return value == nullptr ? std::string() : Utf8FromWide(value);
}

std::vector<std::string> ProgramArguments(int, char**) {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 0; wide != nullptr && i < count; ++i) arguments.push_back(Utf8FromWide(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

void UseBinaryStandardStreams() {
  std::fflush(stdout);
  std::fflush(stderr);
  ::_setmode(1, _O_BINARY);
  ::_setmode(2, _O_BINARY);
}

bool IsTerminal(int fd) { return ::_isatty(fd) != 0; }

bool ReadFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  std::wstring pattern = WidePath(folder.empty() ? std::string(".") : folder);
  if (pattern.back() != L'/' && pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW found;
  const HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const bool folderEntry = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entries.push_back({Utf8FromWide(name), folderEntry,
                       !folderEntry && (found.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) == 0});
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return true;
}

#else

int OpenForReading(const std::string& path) {
  if (path == "-") return ::fcntl(0, F_DUPFD_CLOEXEC, 0);
  return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

int OpenForWriting(const std::string& path) {
  return ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
}

int OpenForUpdate(const std::string& path) { return ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY); }

ssize_t ReadAtOffset(int fd, std::int64_t offset, void* buffer, std::size_t size) {
  return ::pread(fd, buffer, size, static_cast<off_t>(offset));
}

ssize_t WriteAtOffset(int fd, std::int64_t offset, const void* buffer, std::size_t size) {
  return ::pwrite(fd, buffer, size, static_cast<off_t>(offset));
}

ssize_t CopyFileBytes(int in, std::int64_t offset, int out, std::size_t size) {
  off_t from = static_cast<off_t>(offset);
  return ::copy_file_range(in, &from, out, nullptr, size, 0);
}

void AdviseSequentialRead(int fd) { ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL); }

void AdviseLargePages(void* memory, std::size_t size) {
#ifdef MADV_HUGEPAGE
  constexpr std::uintptr_t kLargePage = kLargePageSize;
  const auto start = reinterpret_cast<std::uintptr_t>(memory);
  const std::uintptr_t first = (start + kLargePage - 1) & ~(kLargePage - 1);
  const std::uintptr_t end = (start + size) & ~(kLargePage - 1);
  if (end > first) ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
  (void)memory;
  (void)size;
#endif
}

int StatPath(const std::string& path, struct stat& info) { return ::stat(path.c_str(), &info); }

std::string ResolveSymbolicLink(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {  // as many as Linux follows
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
    std::string target(PATH_MAX, '\0');
    const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return path;
    target.resize(static_cast<std::size_t>(length));
    // A relative link is read from the folder that holds it.
    const std::size_t slash = current.find_last_of('/');
    if (target[0] != '/' && slash != std::string::npos) target = current.substr(0, slash + 1) + target;
    current = target;
  }
  return path;
}

int CreateNewFile(const std::string& path, unsigned mode) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                static_cast<mode_t>(mode));
}

unsigned LinkCount(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return 2;  // unknown: in place keeps every name
  return static_cast<unsigned>(info.st_nlink);
}

namespace {

// The names of a file's extended attributes, each ending in '\0'; empty where the file system
// keeps none. False when they can't be listed.
bool AttributeNames(int fd, std::vector<char>& names) {
  while (true) {
    const ssize_t size = ::flistxattr(fd, nullptr, 0);
    if (size < 0) {
      names.clear();
      return errno == ENOTSUP;
    }
    names.resize(static_cast<std::size_t>(size));
    const ssize_t got = size == 0 ? 0 : ::flistxattr(fd, names.data(), names.size());
    if (got >= 0) {
      names.resize(static_cast<std::size_t>(got));
      return true;
    }
    if (errno != ERANGE) return false;  // ERANGE: one was added in between
  }
}

bool AttributeValue(int fd, const char* name, std::vector<char>& value) {
  while (true) {
    const ssize_t size = ::fgetxattr(fd, name, nullptr, 0);
    if (size < 0) return false;
    value.resize(static_cast<std::size_t>(size));
    const ssize_t got = size == 0 ? 0 : ::fgetxattr(fd, name, value.data(), value.size());
    if (got >= 0) {
      value.resize(static_cast<std::size_t>(got));
      return true;
    }
    if (errno != ERANGE) return false;
  }
}

bool HasName(const std::vector<char>& names, const char* name) {
  for (std::size_t at = 0; at < names.size(); at += std::strlen(names.data() + at) + 1) {
    if (std::strcmp(names.data() + at, name) == 0) return true;
  }
  return false;
}

}  // namespace

bool CopyExtendedAttributes(int from, int to) {
  std::vector<char> wanted;
  std::vector<char> present;
  if (!AttributeNames(from, wanted) || !AttributeNames(to, present)) return false;
  // What the new file got by itself (a folder's default ACL) and the old one lacks goes.
  for (std::size_t at = 0; at < present.size(); at += std::strlen(present.data() + at) + 1) {
    const char* name = present.data() + at;
    if (!HasName(wanted, name) && ::fremovexattr(to, name) != 0) return false;
  }
  std::vector<char> value;
  std::vector<char> now;
  for (std::size_t at = 0; at < wanted.size(); at += std::strlen(wanted.data() + at) + 1) {
    const char* name = wanted.data() + at;
    if (!AttributeValue(from, name, value)) return false;
    if (HasName(present, name) && AttributeValue(to, name, now) && now == value) continue;
    if (::fsetxattr(to, name, value.data(), value.size(), 0) != 0) return false;
  }
  return true;
}

bool HasOwnerAndMode(int fd, const struct stat& info) {
  struct stat now {};
  return ::fstat(fd, &now) == 0 && now.st_uid == info.st_uid && now.st_gid == info.st_gid &&
         (now.st_mode & 07777) == (info.st_mode & 07777);
}

int CreateUniqueFile(std::string& path) { return ::mkostemp(path.data(), O_CLOEXEC); }

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool ReplaceFileWith(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool SetFileMode(int fd, unsigned mode) { return ::fchmod(fd, static_cast<mode_t>(mode)) == 0; }

bool SetFileOwner(int fd, unsigned uid, unsigned gid) {
  return ::fchown(fd, static_cast<uid_t>(uid), static_cast<gid_t>(gid)) == 0;
}

unsigned CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

bool FlushFileData(int fd) { return ::fdatasync(fd) == 0; }

void StartWriteBack(int fd, std::int64_t offset, std::uint64_t size) {
#ifdef SYNC_FILE_RANGE_WRITE
  ::sync_file_range(fd, static_cast<off_t>(offset), static_cast<off_t>(size),
                    SYNC_FILE_RANGE_WRITE);
#else
  (void)fd;
  (void)offset;
  (void)size;
#endif
}

bool TruncateFile(int fd, std::uint64_t size) {
  return ::ftruncate(fd, static_cast<off_t>(size)) == 0;
}

bool FolderWritable(const std::string& folder) {
  return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void UseBinaryStandardStreams() {}

bool IsTerminal(int fd) { return ::isatty(fd) != 0; }

bool ReadFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  const std::string base = folder.empty() ? std::string(".") : folder;
  DIR* dir = ::opendir(base.c_str());
  if (dir == nullptr) return false;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat info {};
    const std::string path = base + (base.back() == '/' ? "" : "/") + name;
    const bool known = ::stat(path.c_str(), &info) == 0;
    entries.push_back({name, known && S_ISDIR(info.st_mode), known && S_ISREG(info.st_mode)});
  }
  ::closedir(dir);
  return true;
}

#endif
