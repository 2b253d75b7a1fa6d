// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file reads and safe saves: the one place where the program writes files.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/Core.h"

// Owns one open file descriptor and closes it when it goes; moved, never copied.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() { Close(); }
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Gives the descriptor up without closing it.
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // Closes the descriptor held, if any; false when close(2) reports an error.
  bool Close();

 private:
  int fd_ = -1;
};

enum class ReadResult { kOk, kOpenFailed, kReadFailed, kTooLarge };

// Reads the whole file into `bytes` (replacing what it held). A regular file larger than
// `maxSize` is refused with kTooLarge before anything is allocated; a pipe or device is read to
// its end, and refused the same way once it has given more than `maxSize` bytes. On failure
// `bytes` is empty.
// A regular file is read in pieces of kReadPieceSize, each zeroed and filled while it is in
// the cache; `arrived`, when given, is called after each piece with the bytes now held, so that
// a caller can look at them while they are still in the cache (a pipe calls it once, at its end).
// What it saw is void when the read then fails.
using BytesArrived = std::function<void(const std::vector<std::uint8_t>& bytes, std::size_t held)>;
constexpr std::size_t kReadPieceSize = std::size_t{512} << 10;
ReadResult ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                         std::uint64_t maxSize, const BytesArrived& arrived = {});

// The load of a document: reads the whole file into `bytes`, or empties them and logs
// "ERROR - Can't open [FILE]" (no such file, a folder), "ERROR - Can't read [FILE]" (a read
// error) or "ERROR - File too large (limit N bytes) [FILE]" (larger than `maxSize`).
bool LoadDocumentBytes(const std::string& fileName, std::vector<std::uint8_t>& bytes,
                       std::uint64_t maxSize, const BytesArrived& arrived = {});
// How a loaded document holds its file. kCopy reads it into memory, safe from whatever other
// programs do to the file later: for documents kept open (the window). kFile keeps a regular
// file open and reads it again, piece by piece, whenever its bytes are needed, which costs no
// memory for them: for a load, a save and the end of the program (the command line), while
// nobody changes the file. A file cut short meanwhile fails the read that meets its new end.
// Windows, which can't replace a file held open, always copies.
enum class Holding { kCopy, kFile };
// The load of a document held by its file: true with the file open in `fd` and its size in
// `size` when it is a regular file of 1 to `maxSize` bytes; otherwise false, and the caller
// loads a copy (LoadDocumentBytes), which reports what is wrong with the file.
bool OpenDocumentFile(const std::string& fileName, FileDescriptor& fd, std::uint64_t& size,
                      std::uint64_t maxSize);
// Empties `bytes` and gives their memory back: a refused or replaced document holds nothing.
void ReleaseBytes(std::vector<std::uint8_t>& bytes);

// read(2) with EINTR retried: the one read call of the program's file readers, so that tests
// can make it fail at a chosen file offset (SetReadFaultOffset).
ssize_t ReadSome(int fd, void* buffer, std::size_t size);

enum class SaveResult { kOk, kCreateFailed, kWriteFailed };

// A save in steps, for callers that report creation and writing separately: Create decides how
// the bytes reach the target and opens what is needed, Write sends bytes, Commit finishes.
// Nothing is written to the target before Write, so a caller makes every check that can fail
// between Create and Write.
//
// The common case replaces the target: the bytes go to a temporary file beside it, which is
// flushed and renamed over the target with the target's permissions, owner, group and extended
// attributes (ACLs among them), all set before the first byte is written and the permissions,
// owner and group read back. Destroying an
// uncommitted save removes the temporary file and leaves the target as it was. Where renaming
// would be wrong, the target is written where it is, as any program writing to it would:
// - a target that is not a regular file (a device, a FIFO) is written directly, never replaced;
// - a file with several names (hard links) is rewritten in place, so every name sees the save;
// - a file whose folder refuses the temporary file, or whose permissions, owner, group or
//   attributes the new file could not take, is rewritten in place;
// - a file that can't be renamed over because it is a mount point (a bind-mounted file) is
//   rewritten in place from the complete temporary file at Commit.
// A new file whose temporary file can't take the usual permissions is created directly, and
// removed again when the save is not committed. An in-place write that fails part way leaves the
// new bytes up to the failure and the old ones after it. Either way a target the user may not
// write fails at Create, and symbolic links are followed as open(2) follows them: the file they
// name is saved, or created when it does not exist yet, and the links stay.
class AtomicFile {
 public:
  // kNoFlush skips forcing the data to disk: a replaced file still never appears half-written
  // to a reader, but a power cut soon after may lose the new content. Only for small files
  // rewritten very often (the settings on every keystroke).
  enum class Durability { kFlush, kNoFlush };
  // How Create found the target must be written.
  enum class Method { kNone, kReplace, kInPlace, kDirect };

  explicit AtomicFile(std::string path, Durability durability = Durability::kFlush);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  bool Create();
  bool Write(ByteView bytes);
  // Writes `length` bytes of the open file `fd` from `offset`, as Write would, copied inside the
  // kernel where it can; false when they can't all be read or written.
  bool CopyFrom(int fd, std::int64_t offset, std::uint64_t length);
  // Overwrites bytes already written, at `offset` from the start; not for kDirect.
  bool WriteAt(std::int64_t offset, ByteView bytes);
  bool Commit();
  void Discard();
  Method method() const { return method_; }
  // Whether any byte of the target may have changed: false while a temporary file is still
  // being written or nothing has been written where the target stands.
  bool TargetTouched() const { return touched_; }

 private:
  bool CreateTemporary();
  bool CreateNew(unsigned mode);
  bool ReplaceOrRewrite(const struct stat& info);
  bool TakeAttributes(int from, const struct stat& info);
  bool RewriteFromTemporary();
  void Wrote(std::uint64_t size);

  std::string target_;
  std::string temp_;
  int tempSlot_ = -1;  // where RemoveTemporaryFiles finds temp_
  int fd_ = -1;
  Method method_ = Method::kNone;
  // Atomic: a copy may run on one thread (CopyFrom) while another patches what is already
  // copied (WriteAt).
  std::atomic<std::uint64_t> written_{0};
  // Where the next writeback starts; only the thread that writes in order touches it.
  static constexpr std::uint64_t kWriteBackStep = std::uint64_t{8} << 20;
  std::uint64_t writeBackFrom_ = 0;
  Durability durability_;
  bool createdTarget_ = false;  // the target did not exist and is written directly
  std::atomic<bool> touched_{false};
};

// Whether the path names a device or FIFO (links followed): a target written directly.
bool IsDeviceOrFifo(const std::string& path);

// Create, Write and Commit in one call.
SaveResult SaveFileAtomically(const std::string& path, ByteView bytes,
                              AtomicFile::Durability durability = AtomicFile::Durability::kFlush);

// A file changed where it stands, a few bytes at a time. OpenForPatching opens an existing
// regular file for reading and writing (-1 when it can't; the fault hook's kCreate counts);
// ReadAt and WriteAt move exactly `size` bytes at `offset` or fail (WriteAt asks kWrite).
int OpenForPatching(const std::string& path);
bool ReadAt(int fd, std::int64_t offset, std::uint8_t* bytes, std::size_t size);
bool WriteAt(int fd, std::int64_t offset, const std::uint8_t* bytes, std::size_t size);

// Removes the temporary file of every save under way (an AtomicFile that replaces its target),
// for a program ended by a signal: only async-signal-safe calls. The saves are not told.
void RemoveTemporaryFiles();

// Fault injection for tests: the hook is asked before each step and makes it fail by
// returning true; it may set errno to give the failure's reason. kRename is asked only when a
// temporary file replaces the target, kAttributes when the temporary file takes the
// permissions, owner and attributes of the file it replaces (failing, the save is in place).
enum class FileStep { kCreate, kWrite, kFlush, kRename, kAttributes };
using FileFaultHook = std::function<bool(FileStep)>;
void SetFileFaultHook(FileFaultHook hook);
// Makes ReadSome fail (EIO) where a read would reach `offset` of the file; the bytes before it
// still arrive. A negative offset turns it off.
void SetReadFaultOffset(std::int64_t offset);
