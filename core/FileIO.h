// Whole-file reads and safe saves: the one place where the program writes files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/Core.h"

enum class ReadResult { kOk, kOpenFailed, kReadFailed, kTooLarge };

// Reads the whole file into `bytes` (replacing what it held). A file larger than `maxSize`
// is refused with kTooLarge before anything is allocated. On failure `bytes` is empty.
ReadResult ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                         std::uint64_t maxSize);

enum class SaveResult { kOk, kCreateFailed, kWriteFailed };

// A save in steps, for callers that report creation and writing separately: Create makes the
// temporary file beside the target, Write appends to it, Commit flushes it and renames it over
// the target. Destroying an uncommitted file removes the temporary file and leaves the target
// as it was.
class AtomicFile {
 public:
  // kNoFlush skips forcing the data to disk before the rename: the file still never appears
  // half-written to a reader, but a power cut soon after may lose the new content. Only for
  // small files rewritten very often (the settings on every keystroke).
  enum class Durability { kFlush, kNoFlush };
  explicit AtomicFile(std::string path, Durability durability = Durability::kFlush);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  bool Create();
  bool Write(ByteView bytes);
  bool Commit();
  void Discard();

 private:
  std::string target_;
  std::string temp_;
  int fd_ = -1;
  unsigned mode_ = 0;
  Durability durability_;
};

// Writes `bytes` to a temporary file beside `path`, flushes it to disk and renames it over
// `path`. On any failure the temporary file is removed and whatever was at `path` is untouched.
// A symbolic link at `path` is followed: the file it names is replaced, the link stays.
SaveResult SaveFileAtomically(const std::string& path, ByteView bytes,
                              AtomicFile::Durability durability = AtomicFile::Durability::kFlush);

// Fault injection for tests: the hook is asked before each step and makes it fail by
// returning true.
enum class FileStep { kCreate, kWrite, kFlush, kRename };
using FileFaultHook = std::function<bool(FileStep)>;
void SetFileFaultHook(FileFaultHook hook);
