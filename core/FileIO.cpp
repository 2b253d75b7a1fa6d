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
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

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

SaveResult SaveFileAtomically(const std::string& path, ByteView bytes) {
  const std::string target = ResolveTarget(path);
  const std::size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  std::string temp = dir + "." + base + ".velmoran-XXXXXX";

  if (Fails(FileStep::kCreate)) return SaveResult::kCreateFailed;
  struct stat dirInfo {};
  if (!dir.empty() && (::stat(dir.c_str(), &dirInfo) != 0 || !S_ISDIR(dirInfo.st_mode))) {
    return SaveResult::kCreateFailed;
  }
  struct stat targetInfo {};
  const bool targetExists = ::stat(target.c_str(), &targetInfo) == 0;
  if (targetExists && S_ISDIR(targetInfo.st_mode)) return SaveResult::kCreateFailed;
  FileDescriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) return SaveResult::kCreateFailed;

  // The new file keeps the permissions of the one it replaces; a new one gets the usual ones.
  mode_t mode = 0;
  if (targetExists) {
    mode = targetInfo.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd.get(), mode);

  auto fail = [&](SaveResult result) {
    ::close(fd.release());
    ::unlink(temp.c_str());
    return result;
  };

  std::size_t done = 0;
  while (done < bytes.size()) {
    if (Fails(FileStep::kWrite)) return fail(SaveResult::kWriteFailed);
    const std::size_t chunk = std::min<std::size_t>(bytes.size() - done, std::size_t{1} << 24);
    const ssize_t put = ::write(fd.get(), bytes.data() + done, chunk);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return fail(SaveResult::kWriteFailed);
    done += static_cast<std::size_t>(put);
  }
  if (bytes.empty() && Fails(FileStep::kWrite)) return fail(SaveResult::kWriteFailed);
  if (Fails(FileStep::kFlush) || ::fdatasync(fd.get()) != 0) return fail(SaveResult::kWriteFailed);
  if (::close(fd.release()) != 0) {
    ::unlink(temp.c_str());
    return SaveResult::kWriteFailed;
  }
  if (Fails(FileStep::kRename) || ::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    return SaveResult::kWriteFailed;
  }
  return SaveResult::kOk;
}
