// Whole-file reads and safe saves: the one place where the program writes files.
#include "core/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <algorithm>
#include <cstdlib>
#include <new>

namespace {

FileFaultHook gFaultHook;

bool Fails(FileStep step) { return gFaultHook && gFaultHook(step); }

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// The file a save replaces: the target of a symbolic link, or the path itself.
std::string ResolveTarget(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) return resolved;
  }
  return path;
}

}  // namespace

void SetFileFaultHook(FileFaultHook hook) { gFaultHook = std::move(hook); }

ReadResult ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                         std::uint64_t maxSize) {
  bytes.clear();
  bytes.shrink_to_fit();
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return ReadResult::kOpenFailed;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) return ReadResult::kReadFailed;
  if (S_ISDIR(info.st_mode)) return ReadResult::kOpenFailed;
  if (info.st_size < 0) return ReadResult::kReadFailed;
  const auto size = static_cast<std::uint64_t>(info.st_size);
  if (size > maxSize) return ReadResult::kTooLarge;
  try {
    bytes.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    return ReadResult::kReadFailed;
  }
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {  // an error, or the file shrank while it was read
      bytes.clear();
      bytes.shrink_to_fit();
      return ReadResult::kReadFailed;
    }
    done += static_cast<std::size_t>(got);
  }
  return ReadResult::kOk;
}

AtomicFile::AtomicFile(std::string path, Durability durability)
    : target_(ResolveTarget(path)), durability_(durability) {}

AtomicFile::~AtomicFile() { Discard(); }

void AtomicFile::Discard() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
}

bool AtomicFile::Create() {
  Discard();
  if (Fails(FileStep::kCreate)) return false;
  const std::size_t slash = target_.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string() : target_.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
  if (base.empty()) return false;
  struct stat dirInfo {};
  if (!dir.empty() && (::stat(dir.c_str(), &dirInfo) != 0 || !S_ISDIR(dirInfo.st_mode))) {
    return false;
  }
  struct stat targetInfo {};
  const bool targetExists = ::stat(target_.c_str(), &targetInfo) == 0;
  if (targetExists && S_ISDIR(targetInfo.st_mode)) return false;
  std::string temp = dir + "." + base + ".velmoran-XXXXXX";
  fd_ = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd_ < 0) return false;
  temp_ = temp;
  // The new file keeps the permissions of the one it replaces; a new one gets the usual ones.
  if (targetExists) {
    mode_ = targetInfo.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode_ = 0666 & ~mask;
  }
  ::fchmod(fd_, static_cast<mode_t>(mode_));
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
  } while (done < bytes.size());
  return true;
}

bool AtomicFile::Commit() {
  if (fd_ < 0) return false;
  if (Fails(FileStep::kFlush)) return false;
  if (durability_ == Durability::kFlush && ::fdatasync(fd_) != 0) return false;
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return false;
  if (Fails(FileStep::kRename) || ::rename(temp_.c_str(), target_.c_str()) != 0) return false;
  temp_.clear();  // now the target itself
  return true;
}

SaveResult SaveFileAtomically(const std::string& path, ByteView bytes,
                              AtomicFile::Durability durability) {
  AtomicFile file(path, durability);
  if (!file.Create()) return SaveResult::kCreateFailed;
  if (!file.Write(bytes) || !file.Commit()) return SaveResult::kWriteFailed;
  return SaveResult::kOk;
}
