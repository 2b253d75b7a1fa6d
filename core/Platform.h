// SPDX-License-Identifier: GPL-3.0-or-later
// The few file-system calls that differ between POSIX and Windows. Paths are UTF-8 on both;
// on Windows they are passed to the wide-character calls, so any file name works.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The characters that end a folder name in a path.
#ifdef _WIN32
inline constexpr const char* kPathSeparators = "/\\";
#else
inline constexpr const char* kPathSeparators = "/";
#endif

// Opens an existing file; -1 on failure (errno says why). Descriptors are not inherited by
// child processes, and on Windows they are binary. OpenForReading("-") gives a duplicate of
// standard input, as command-line tools take "-" for it (a file named so is "./-").
int OpenForReading(const std::string& path);
int OpenForWriting(const std::string& path);
// Opens an existing file for reading and writing where it stands.
int OpenForUpdate(const std::string& path);
// read(2) and write(2) at an offset, leaving no file position to rely on: pread and pwrite.
ssize_t ReadAtOffset(int fd, std::int64_t offset, void* buffer, std::size_t size);
ssize_t WriteAtOffset(int fd, std::int64_t offset, const void* buffer, std::size_t size);
// Copies up to `size` bytes from `offset` of `in` to the file position of `out` inside the
// kernel (copy_file_range); -1 with errno ENOSYS where there is no such call.
ssize_t CopyFileBytes(int in, std::int64_t offset, int out, std::size_t size);
// Tells the system the file will be read from start to end (nothing on Windows).
void AdviseSequentialRead(int fd);
// The size of a memory page, and of a large page where the system has them.
inline constexpr std::size_t kPageSize = 4096;
inline constexpr std::size_t kLargePageSize = std::size_t{2} << 20;

// `size` bytes of uninitialised memory starting on a multiple of `alignment` (a power of two):
// the kernel copies faster into whole pages, and large pages need their boundaries. Pages are
// first touched as they are written.
class AlignedBytes {
 public:
  AlignedBytes(std::size_t size, std::size_t alignment)
      : memory_(new std::uint8_t[size + alignment - 1]),
        data_(memory_.get() +
              (alignment - reinterpret_cast<std::uintptr_t>(memory_.get()) % alignment) %
                  alignment) {}
  std::uint8_t* data() const { return data_; }

 private:
  std::unique_ptr<std::uint8_t[]> memory_;
  std::uint8_t* data_;
};

// Asks for large pages behind the whole 2 MiB pieces of [memory, memory + size), not yet touched:
// a buffer of many megabytes then costs a few page faults instead of one per 4 KiB, and is
// given back as quickly. Only advice (nothing on Windows).
void AdviseLargePages(void* memory, std::size_t size);
// stat(2) of a UTF-8 path; 0 on success.
int StatPath(const std::string& path, struct stat& info);
bool PathExists(const std::string& path);
// The file a symbolic link names, followed link by link as open(2) follows them, so that a
// link to a file not made yet gives that file's path; the path itself when it is no link (always
// on Windows) or the links go round in a loop.
std::string ResolveSymbolicLink(const std::string& path);
// Creates a new file that must not exist yet, with `mode` less the umask; -1 on failure.
int CreateNewFile(const std::string& path, unsigned mode);
// How many names the open file has (hard links); on Windows from the handle's file information.
unsigned LinkCount(int fd);
// Makes the extended attributes of `to` (ACLs among them) those of `from`; false when one can't
// be read, set or removed. Nothing to do on Windows.
bool CopyExtendedAttributes(int from, int to);
// Whether the open file has the permissions (with set-id bits), owner and group of `info`.
// Always true on Windows, which keeps none of them.
bool HasOwnerAndMode(int fd, const struct stat& info);
// Creates and opens a new file from `path`, whose last six characters "XXXXXX" are replaced
// by a unique name; -1 on failure.
int CreateUniqueFile(std::string& path);
bool RemoveFile(const std::string& path);
// Moves `from` over `to`, replacing it in one step.
bool ReplaceFileWith(const std::string& from, const std::string& to);
// Permissions and owner of an open file. Windows keeps neither: both succeed doing nothing.
bool SetFileMode(int fd, unsigned mode);
bool SetFileOwner(int fd, unsigned uid, unsigned gid);
// The process's file creation mask.
unsigned CurrentUmask();
// Forces the file's data to the disk.
bool FlushFileData(int fd);
// Starts writing [offset, offset + size) of the file to the disk without waiting for it, so that
// a flush later finds most of it there already. Only advice (nothing on Windows).
void StartWriteBack(int fd, std::int64_t offset, std::uint64_t size);
bool TruncateFile(int fd, std::uint64_t size);
// Whether the user may create files in the folder.
bool FolderWritable(const std::string& folder);
// Makes the folder and every missing folder above it; true when it exists afterwards.
bool MakeFolders(const std::string& folder);
// An environment variable, empty when unset.
std::string EnvironmentValue(const char* name);
// The program's arguments as UTF-8 (on Windows from the wide command line).
std::vector<std::string> ProgramArguments(int argc, char** argv);
// Standard output and error written byte for byte: on Windows no "\r" before each "\n".
void UseBinaryStandardStreams();
// Whether the descriptor is a terminal.
bool IsTerminal(int fd);

// One entry of a folder: its name (UTF-8) and whether it is a folder or a regular file (links
// followed).
struct FolderEntry {
  std::string name;
  bool folder = false;
  bool regular = false;
};
// The entries of a folder, "." and ".." left out, in no set order; false when it can't be read.
// On Windows through the wide calls, so names in any script are listed.
bool ReadFolder(const std::string& folder, std::vector<FolderEntry>& entries);

#ifdef _WIN32
// UTF-8 <-> UTF-16 for the wide Windows calls.
std::wstring WidePath(const std::string& utf8);
std::string Utf8FromWide(const std::wstring& wide);
#endif
