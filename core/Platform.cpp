// The few file-system calls that differ between POSIX and Windows.
#include "core/Platform.h"

#include <cerrno>
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
#include <unistd.h>

#include <climits>
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

int StatPath(const std::string& path, struct stat& info) {
  return ::_wstat64(WidePath(path).c_str(), &info);
}

std::string ResolveSymbolicLink(const std::string& path) { return path; }

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

int OpenForReading(const std::string& path) { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); }

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

int StatPath(const std::string& path, struct stat& info) { return ::stat(path.c_str(), &info); }

std::string ResolveSymbolicLink(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) return resolved;
  }
  return path;
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
