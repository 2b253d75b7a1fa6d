// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file reads and safe saves: the one place where the program writes files.
#include "core/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <new>

#include "core/Log.h"
#include "core/Platform.h"

namespace {

FileFaultHook gFaultHook;
std::int64_t gReadFaultOffset = -1;

bool Fails(FileStep step) { return gFaultHook && gFaultHook(step); }

// The longest file name most file systems hold, in bytes.
constexpr std::size_t kMaxNameBytes = 255;

// "." + the name + ".velmoran-XXXXXX", the name cut short (at a UTF-8 character boundary) where
// the whole would be longer than a file name may be.
std::string TemporaryName(const std::string& base) {
  static const std::string kSuffix = ".velmoran-XXXXXX";
  std::size_t keep = std::min(base.size(), kMaxNameBytes - 1 - kSuffix.size());
  while (keep > 0 && keep < base.size() && (static_cast<unsigned char>(base[keep]) & 0xC0) == 0x80) {
    --keep;
  }
  std::string name = ".";
  name.append(base, 0, keep);
  return name + kSuffix;
}

// The temporary files of the saves under way, where a signal handler can reach them: fixed
// buffers and lock-free flags, nothing allocated. A path too long, or a ninth save at once, is
// simply not registered.
constexpr int kTemporarySlots = 8;
constexpr std::size_t kTemporaryPathBytes = 4096;
#ifdef _WIN32
using PathChar = wchar_t;
#else
using PathChar = char;
#endif
PathChar gTemporaryPaths[kTemporarySlots][kTemporaryPathBytes];
std::atomic<bool> gTemporaryUsed[kTemporarySlots];

int RegisterTemporary(const std::string& path) {
#ifdef _WIN32
  const std::wstring name = WidePath(path);
#else
  const std::string& name = path;
#endif
  if (name.empty() || name.size() >= kTemporaryPathBytes) return -1;
  for (int slot = 0; slot < kTemporarySlots; ++slot) {
    bool expected = false;
    if (gTemporaryUsed[slot].load() || !gTemporaryUsed[slot].compare_exchange_strong(expected, true)) continue;
    // The first character goes in last, so a handler never sees half a name.
    std::copy(name.begin() + 1, name.end(), gTemporaryPaths[slot] + 1);
    gTemporaryPaths[slot][name.size()] = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    gTemporaryPaths[slot][0] = name[0];
    return slot;
  }
  return -1;
}

// While the path is written the slot is taken but holds no name yet: the first byte is 0.
void ForgetTemporary(int& slot) {
  if (slot < 0) return;
  gTemporaryPaths[slot][0] = 0;
  gTemporaryUsed[slot].store(false);
  slot = -1;
}

constexpr std::size_t kPipeReadSize = std::size_t{1} << 16;
constexpr std::size_t kLargePageFileSize = std::size_t{4} << 20;  // files held in large pages from here

// A pipe or device: read until it ends, never holding more than maxSize + one read.
ReadResult ReadToEnd(int fd, std::vector<std::uint8_t>& bytes, std::uint64_t maxSize) {
  try {
    while (true) {
      const std::size_t done = bytes.size();
      bytes.resize(done + kPipeReadSize);
      const ssize_t got = ReadSome(fd, bytes.data() + done, kPipeReadSize);
      if (got < 0) return ReadResult::kReadFailed;
      bytes.resize(done + static_cast<std::size_t>(got));
      if (bytes.size() > maxSize) return ReadResult::kTooLarge;
      if (got == 0) return ReadResult::kOk;
    }
  } catch (const std::bad_alloc&) {
    return ReadResult::kReadFailed;
  }
}

}  // namespace

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.release();
  }
  return *this;
}

bool FileDescriptor::Close() {
  if (fd_ < 0) return true;
  return ::close(release()) == 0;
}

void RemoveTemporaryFiles() {
  for (int slot = 0; slot < kTemporarySlots; ++slot) {
    if (!gTemporaryUsed[slot].load() || gTemporaryPaths[slot][0] == 0) continue;
#ifdef _WIN32
    ::_wunlink(gTemporaryPaths[slot]);
#else
    ::unlink(gTemporaryPaths[slot]);
#endif
  }
}

void SetFileFaultHook(FileFaultHook hook) { gFaultHook = std::move(hook); }

void SetReadFaultOffset(std::int64_t offset) { gReadFaultOffset = offset; }

ssize_t ReadSome(int fd, void* buffer, std::size_t size) {
  if (gReadFaultOffset >= 0) {
    const off_t at = ::lseek(fd, 0, SEEK_CUR);
    if (at >= 0) {
      if (at >= gReadFaultOffset) {
        errno = EIO;
        return -1;
      }
      size = std::min<std::size_t>(size, static_cast<std::size_t>(gReadFaultOffset - at));
    }
  }
  while (true) {
    const ssize_t got = ::read(fd, buffer, size);
    if (got >= 0 || errno != EINTR) return got;
  }
}

ReadResult ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                         std::uint64_t maxSize, const BytesArrived& arrived) {
  bytes.clear();
  bytes.shrink_to_fit();
  FileDescriptor fd(OpenForReading(path));
  if (fd.get() < 0) return ReadResult::kOpenFailed;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) return ReadResult::kReadFailed;
  if (S_ISDIR(info.st_mode)) return ReadResult::kOpenFailed;
  ReadResult result = ReadResult::kOk;
  if (!S_ISREG(info.st_mode)) {
    result = ReadToEnd(fd.get(), bytes, maxSize);
    if (result == ReadResult::kOk && arrived) arrived(bytes, bytes.size());
  } else if (info.st_size < 0) {
    result = ReadResult::kReadFailed;
  } else if (static_cast<std::uint64_t>(info.st_size) > maxSize) {
    return ReadResult::kTooLarge;
  } else {
    try {
      // Large pages are asked for before the first touch: a 100 MB file then costs 50 page
      // faults rather than 25,600, and its memory goes back as fast.
      const auto size = static_cast<std::size_t>(info.st_size);
      bytes.reserve(size);
      if (size >= kLargePageFileSize) AdviseLargePages(bytes.data(), size);
    } catch (const std::bad_alloc&) {
      return ReadResult::kReadFailed;
    }
    // Piece by piece: the zeroing of resize, the kernel's copy and the caller's look each meet
    // the piece in the cache, rather than each passing over the whole file in memory.
    const auto size = static_cast<std::size_t>(info.st_size);
    while (result == ReadResult::kOk && bytes.size() < size) {
      const std::size_t done = bytes.size();
      bytes.resize(done + std::min(kReadPieceSize, size - done));  // within the reserve
      for (std::size_t at = done; at < bytes.size();) {
        const ssize_t got = ReadSome(fd.get(), bytes.data() + at, bytes.size() - at);
        if (got <= 0) {  // an error, or the file shrank while it was read
          result = ReadResult::kReadFailed;
          break;
        }
        at += static_cast<std::size_t>(got);
      }
      if (result == ReadResult::kOk && arrived) arrived(bytes, bytes.size());
    }
  }
  if (result != ReadResult::kOk) {
    bytes.clear();
    bytes.shrink_to_fit();
  }
  return result;
}

bool LoadDocumentBytes(const std::string& fileName, std::vector<std::uint8_t>& bytes,
                       std::uint64_t maxSize, const BytesArrived& arrived) {
  switch (ReadWholeFile(fileName, bytes, maxSize, arrived)) {
    case ReadResult::kOk:
      return true;
    case ReadResult::kOpenFailed:
      LogMessage(kLogError, "ERROR - Can't open [%s]", fileName.c_str());
      return false;
    case ReadResult::kTooLarge:
      LogMessage(kLogError, "ERROR - File too large (limit %llu bytes) [%s]",
                 static_cast<unsigned long long>(maxSize), fileName.c_str());
      return false;
    case ReadResult::kReadFailed:
      break;
  }
  LogMessage(kLogError, "ERROR - Can't read [%s]", fileName.c_str());
  return false;
}

bool OpenDocumentFile(const std::string& fileName, FileDescriptor& fd, std::uint64_t& size,
                      std::uint64_t maxSize) {
#ifdef _WIN32
  // Windows can't replace a file that is open, and a save may replace the document's own file.
  (void)fileName;
  (void)fd;
  (void)size;
  (void)maxSize;
  return false;
#else
  fd = FileDescriptor(OpenForReading(fileName));
  struct stat info {};
  if (fd.valid() && ::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
      static_cast<std::uint64_t>(info.st_size) <= maxSize) {
    size = static_cast<std::uint64_t>(info.st_size);
    return true;
  }
  fd = FileDescriptor();
  return false;
#endif
}

void ReleaseBytes(std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  bytes.shrink_to_fit();
}

AtomicFile::AtomicFile(std::string path, Durability durability)
    : target_(ResolveSymbolicLink(path)), durability_(durability) {}

AtomicFile::~AtomicFile() { Discard(); }

void AtomicFile::Discard() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  ForgetTemporary(tempSlot_);
  if (!temp_.empty()) {
    RemoveFile(temp_);
    temp_.clear();
  }
  if (createdTarget_) RemoveFile(target_);  // made by this save, which did not finish
  createdTarget_ = false;
  method_ = Method::kNone;
  written_ = 0;
  writeBackFrom_ = 0;
}

// An empty temporary file beside the target.
bool AtomicFile::CreateTemporary() {
  const std::size_t slash = target_.find_last_of(kPathSeparators);
  const std::string dir = slash == std::string::npos ? std::string() : target_.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
  if (base.empty()) return false;
  std::string temp = dir + TemporaryName(base);
  fd_ = CreateUniqueFile(temp);
  if (fd_ < 0) return false;
  temp_ = temp;
  tempSlot_ = RegisterTemporary(temp_);
  method_ = Method::kReplace;
  return true;
}

// A new file: a temporary file with the given permissions, or, when it can't take them, the
// file itself, created with them as a shell's redirection creates it.
bool AtomicFile::CreateNew(unsigned mode) {
  if (!CreateTemporary()) return false;
  if (!Fails(FileStep::kAttributes) && SetFileMode(fd_, mode)) return true;
  Discard();
  fd_ = CreateNewFile(target_, mode);
  if (fd_ < 0) return false;
  createdTarget_ = true;
  method_ = Method::kInPlace;
  return true;
}

// The temporary file takes what the target `from` has: owner and group first (a change of
// owner clears set-id bits and file capabilities), then the extended attributes with the ACLs,
// then the permissions; all read back. False when any of them can't be kept.
bool AtomicFile::TakeAttributes(int from, const struct stat& info) {
  if (Fails(FileStep::kAttributes)) return false;
  struct stat made {};
  if (::fstat(fd_, &made) != 0) return false;
  // Only a privileged user may give another user's file back to its owner.
  if ((made.st_uid != info.st_uid || made.st_gid != info.st_gid) &&
      !SetFileOwner(fd_, info.st_uid, info.st_gid)) {
    return false;
  }
  return CopyExtendedAttributes(from, fd_) && SetFileMode(fd_, info.st_mode & 07777) &&
         HasOwnerAndMode(fd_, info);
}

// An existing regular file the user may write: replaced by a temporary file where that keeps
// every name, the permissions, the owner, the group and the attributes; otherwise rewritten in
// place.
bool AtomicFile::ReplaceOrRewrite(const struct stat& info) {
  FileDescriptor inPlace(OpenForWriting(target_));
  if (!inPlace.valid()) return false;  // as any program writing to it would fail
  if (LinkCount(inPlace.get()) <= 1 && CreateTemporary() && TakeAttributes(inPlace.get(), info)) {
    return true;
  }
  Discard();
  fd_ = inPlace.release();
  method_ = Method::kInPlace;
  return true;
}

bool AtomicFile::Create() {
  Discard();
  touched_ = false;
  if (Fails(FileStep::kCreate)) return false;
  struct stat info {};
  if (StatPath(target_, info) != 0) {
    if (errno != ENOENT) return false;
    return CreateNew(0666 & ~CurrentUmask());
  }
  if (S_ISDIR(info.st_mode)) return false;
  if (S_ISREG(info.st_mode)) return ReplaceOrRewrite(info);
  // A device or FIFO takes the bytes itself; opening a FIFO waits for its reader.
  fd_ = OpenForWriting(target_);
  if (fd_ < 0) return false;
  method_ = Method::kDirect;
  return true;
}

bool AtomicFile::Write(ByteView bytes) {
  if (fd_ < 0) return false;
  std::size_t done = 0;
  do {
    if (Fails(FileStep::kWrite)) return false;
    if (done == bytes.size()) break;
    const std::size_t chunk = std::min<std::size_t>(bytes.size() - done, std::size_t{1} << 24);
    const ssize_t put = ::write(fd_, bytes.data() + done, chunk);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
    Wrote(static_cast<std::uint64_t>(put));
  } while (done < bytes.size());
  return true;
}

bool AtomicFile::CopyFrom(int fd, std::int64_t offset, std::uint64_t length) {
  if (fd_ < 0) return false;
  bool inKernel = method_ != Method::kDirect;
  std::vector<std::uint8_t> buffer;
  while (length > 0) {
    if (Fails(FileStep::kWrite)) return false;
    const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(length, std::uint64_t{1} << 23));
    if (inKernel) {
      const ssize_t put = CopyFileBytes(fd, offset, fd_, chunk);
      if (put < 0 && errno == EINTR) continue;
      if (put > 0) {
        offset += put;
        length -= static_cast<std::uint64_t>(put);
        Wrote(static_cast<std::uint64_t>(put));
        continue;
      }
      if (put == 0) return false;  // the source ended early
      inKernel = false;  // no such call here, or not between these files: copy through memory
    }
    buffer.resize(std::min<std::size_t>(chunk, std::size_t{1} << 20));
    if (!ReadAt(fd, offset, buffer.data(), buffer.size()) || !Write(buffer)) return false;
    offset += static_cast<std::int64_t>(buffer.size());
    length -= buffer.size();
  }
  return true;
}

// A durable file starts on its way to the disk piece by piece as it is written, so that the
// flush at Commit waits for little more than the last piece.
void AtomicFile::Wrote(std::uint64_t size) {
  if (method_ != Method::kReplace) touched_ = true;
  const std::uint64_t written = written_.fetch_add(size) + size;
  // Writeback started in steps of several megabytes: in small ones the disk gets small requests.
  if (durability_ == Durability::kFlush && method_ != Method::kDirect &&
      written - writeBackFrom_ >= kWriteBackStep) {
    StartWriteBack(fd_, static_cast<std::int64_t>(writeBackFrom_), written - writeBackFrom_);
    writeBackFrom_ = written;
  }
}

bool AtomicFile::WriteAt(std::int64_t offset, ByteView bytes) {
  if (fd_ < 0 || method_ == Method::kDirect ||
      offset + static_cast<std::int64_t>(bytes.size()) > static_cast<std::int64_t>(written_)) {
    return false;
  }
  if (method_ != Method::kReplace) touched_ = true;
  return ::WriteAt(fd_, offset, bytes.data(), bytes.size());
}

bool AtomicFile::Commit() {
  if (fd_ < 0) return false;
  if (Fails(FileStep::kFlush)) return false;
  // A file rewritten in place may have been longer than what replaced it.
  if (method_ == Method::kInPlace && !TruncateFile(fd_, written_)) {
    return false;
  }
  // A device or FIFO has nothing to flush (fdatasync refuses them).
  if (durability_ == Durability::kFlush && method_ != Method::kDirect && !FlushFileData(fd_)) {
    return false;
  }
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return false;
  if (method_ == Method::kReplace) {
    errno = 0;
    if (Fails(FileStep::kRename) || !ReplaceFileWith(temp_, target_)) {
      // A mount point (a bind-mounted file) can't be renamed over, but can be written.
      return errno == EBUSY && RewriteFromTemporary();
    }
    ForgetTemporary(tempSlot_);
    temp_.clear();  // now the target itself
  }
  touched_ = true;
  createdTarget_ = false;
  method_ = Method::kNone;
  return true;
}

// Writes the complete temporary file into the target where it stands, then removes it.
bool AtomicFile::RewriteFromTemporary() {
  const FileDescriptor from(OpenForReading(temp_));
  fd_ = OpenForWriting(target_);
  if (!from.valid() || fd_ < 0) return false;
  method_ = Method::kInPlace;
  const std::uint64_t size = written_;
  written_ = 0;
  writeBackFrom_ = 0;
  if (!CopyFrom(from.get(), 0, size) || !Commit()) return false;
  ForgetTemporary(tempSlot_);
  RemoveFile(temp_);
  temp_.clear();
  return true;
}

bool IsDeviceOrFifo(const std::string& path) {
  struct stat info {};
  return StatPath(path, info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

int OpenForPatching(const std::string& path) {
  if (Fails(FileStep::kCreate)) return -1;
  struct stat info {};
  if (StatPath(path, info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return OpenForUpdate(path);
}

bool ReadAt(int fd, std::int64_t offset, std::uint8_t* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t got = ReadAtOffset(fd, offset, bytes, size);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    bytes += got;
    offset += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

bool WriteAt(int fd, std::int64_t offset, const std::uint8_t* bytes, std::size_t size) {
  while (size > 0) {
    if (Fails(FileStep::kWrite)) return false;
    const ssize_t put = WriteAtOffset(fd, offset, bytes, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    bytes += put;
    offset += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

SaveResult SaveFileAtomically(const std::string& path, ByteView bytes,
                              AtomicFile::Durability durability) {
  AtomicFile file(path, durability);
  if (!file.Create()) return SaveResult::kCreateFailed;
  if (!file.Write(bytes) || !file.Commit()) return SaveResult::kWriteFailed;
  return SaveResult::kOk;
}
