// SPDX-License-Identifier: GPL-3.0-or-later
// Remapping the subtitle units inside VOB files by palette entry, in place in their packs.
//
// The plan: each file is scanned (CFileVOB with a unit sink), completed from the next file when
// that is its next part. Every complete unit of the chosen streams is walked and translated by
// PlanEntryRemap; each byte that changes is placed in its file through the unit's pieces, so a
// command list that straddles two packs or two parts is patched where each byte lies. Only
// those bytes change: pack and PES headers, stuffing and every other pack stay as they were.
//
// In place, files are patched where they stand rather than copied and renamed: a title set's
// parts are up to 1 GiB each and only a few bytes per unit change. Every file is opened for
// writing and every byte to change read back and compared with the plan first; the writes come
// after, each remembered, and a failed write or a Ctrl-C puts back everything written so far, in
// every file, before the run ends. Files are opened one at a time, so a run over a whole shelf of
// discs never meets the limit of open files. Hard links, permissions and owners stay as they are.
//
// A copy is written as the file is planned: each chunk the scan is done with gets the changed
// bytes that lie in it and goes to a second thread that writes it, while the scan reads on. The
// few changed bytes of a unit whose command list began in a chunk already gone are written into
// the complete copy. Copying the scan's own bytes reads the file once, and no byte can change
// between the plan and the copy.
#include "files/VobRemap.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "core/FileIO.h"
#include "core/Log.h"
#include "core/Platform.h"
#include "core/Progress.h"
#include "files/DiscLayout.h"
#include "files/Filevob.h"

namespace {

long long At(std::int64_t offset) { return static_cast<long long>(offset); }

// Writes a file into a target on a second thread from a ring of chunk buffers that the scan
// reads into, so that the scan's reads and the copy's writes go on side by side and each byte is
// read from the source once and never copied in memory.
class ChunkWriter {
 public:
  explicit ChunkWriter(AtomicFile& target)
      : target_(target),
        ring_(kSlots * CFileVOB::kChunkSize, kPageSize),
        thread_([this] { Run(); }) {}
  ~ChunkWriter() { Stop(); }
  ChunkWriter(const ChunkWriter&) = delete;
  ChunkWriter& operator=(const ChunkWriter&) = delete;

  // The buffer the next Put hands over, once the thread has written what it held.
  std::uint8_t* Lend() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return failed_ || filled_ - written_ < kSlots; });
    return Slot(filled_);
  }
  // Hands `bytes` (at most CFileVOB::kChunkSize, normally those of the buffer lent) to the thread
  // to write; false once a write has failed.
  bool Put(ByteView bytes) {
    std::uint8_t* slot = Lend();
    if (bytes.data() != slot) std::copy(bytes.begin(), bytes.end(), slot);
    const std::lock_guard<std::mutex> lock(mutex_);
    if (failed_) return false;
    sizes_[filled_ % kSlots] = bytes.size();
    ++filled_;
    changed_.notify_all();
    return true;
  }
  // Waits until every buffer put is written, then ends the thread; false when a write failed.
  bool Finish() {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return failed_ || written_ == filled_; });
    }
    Stop();
    return !failed_;
  }

 private:
  static constexpr std::size_t kSlots = 4;

  std::uint8_t* Slot(std::size_t n) const {
    return ring_.data() + n % kSlots * CFileVOB::kChunkSize;
  }

  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      changed_.wait(lock, [&] { return stop_ || written_ < filled_; });
      if (stop_) return;
      const ByteView bytes(Slot(written_), sizes_[written_ % kSlots]);
      lock.unlock();
      const bool ok = target_.Write(bytes);
      lock.lock();
      if (!ok) {
        failed_ = true;
        changed_.notify_all();
        return;
      }
      ++written_;
      changed_.notify_all();
    }
  }
  void Stop() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
  }

  AtomicFile& target_;
  AlignedBytes ring_;  // kSlots buffers of a chunk each
  std::mutex mutex_;
  std::condition_variable changed_;
  std::array<std::size_t, kSlots> sizes_{};
  std::size_t filled_ = 0;   // buffers put, from the first
  std::size_t written_ = 0;  // buffers written, from the first
  bool failed_ = false;
  bool stop_ = false;
  std::thread thread_;  // last: it starts once the members it uses are made
};

}  // namespace

// Plans the units one scan hands over, into the plan of the file scanned and of its next part.
class VobRemap::PlanSink : public VobUnitSink {
 public:
  PlanSink(const EntryMap& map, int stream) : map_(map), stream_(stream) {}

  // Starts the scan of `here`; `next` is its next part's plan, or nullptr.
  void Begin(VobFilePlan& here, VobFilePlan* next) {
    here_ = &here;
    next_ = next;
    continued_ = continuesNext_;
    continuesNext_.fill(false);
    started_.fill(false);
  }
  bool AnyUnit() const { return anyUnit_; }

  // Copies the scanned file into `copy` as the scan reads it, each chunk with the changed bytes
  // that lie in it; those of a unit that began in a chunk already copied are kept for
  // WriteLatePatches. `out` names the copy in error lines.
  void CopyInto(ChunkWriter& copy, const std::string& out) {
    copy_ = &copy;
    out_ = &out;
  }
  bool ChunkScanned(MutableByteView bytes, std::int64_t offset) override {
    if (copy_ == nullptr) return true;
    const std::vector<VobPatch>& patches = here_->patches;
    for (; applied_ < patches.size(); ++applied_) {
      const VobPatch& patch = patches[applied_];
      if (patch.offset < offset) {
        late_.push_back(patch);
      } else {
        bytes[static_cast<std::size_t>(patch.offset - offset)] = patch.after;
      }
    }
    if (copy_->Put(bytes)) return true;
    LogMessage(kLogError, "ERROR - Can't write to file [%s]", out_->c_str());
    return false;
  }
  std::uint8_t* ChunkBuffer() override { return copy_ == nullptr ? nullptr : copy_->Lend(); }
  // Writes the changed bytes CopyInto kept back into the complete copy; false with the error
  // line.
  bool WriteLatePatches(AtomicFile& target) const {
    for (const VobPatch& patch : late_) {
      if (!target.WriteAt(patch.offset, ByteView(&patch.after, 1))) {
        LogMessage(kLogError, "ERROR - Can't write to file [%s]", out_->c_str());
        return false;
      }
    }
    return true;
  }

  bool UnitComplete(int stream, ByteView unit, const std::vector<UnitPiece>& pieces) override {
    if (!Chosen(stream)) return true;
    started_[static_cast<std::size_t>(stream)] = true;
    anyUnit_ = true;
    ++here_->units;
    // The pack that holds the unit's first packet, as for a unit lost.
    const std::int64_t start = pieces.empty() ? 0 : pieces.front().offset / kVobBlockSize * kVobBlockSize;
    patches_.clear();
    const UnitWalk walk = PlanEntryRemap(unit, map_, patches_);
    if (walk.error != WalkError::kNone) {
      LogMessage(kLogError, "ERROR - Can't walk the commands of the stream %d unit at %08llX: %s [%s]",
                 stream, At(start), WalkErrorText(walk.error), here_->path.c_str());
      return false;
    }
    if (!patches_.empty()) ++here_->remapped;
    for (const BytePatch& patch : patches_) {
      // The pieces hold every byte of the unit, in order.
      std::size_t before = 0;
      for (const UnitPiece& piece : pieces) {
        if (patch.at < before + piece.length) {
          VobFilePlan& plan = piece.part == 0 ? *here_ : *next_;
          plan.patches.push_back({piece.offset + static_cast<std::int64_t>(patch.at - before),
                                  patch.before, patch.after});
          break;
        }
        before += piece.length;
      }
    }
    if (!pieces.empty() && pieces.back().part == 1) continuesNext_[static_cast<std::size_t>(stream)] = true;
    return true;
  }

  bool UnitLost(int stream, int part, std::int64_t offset, const char* why) override {
    if (!Chosen(stream)) return true;
    const std::string& file = part == 0 || next_ == nullptr ? here_->path : next_->path;
    LogMessage(kLogError, "ERROR - Stream %d unit at %08llX: %s [%s]", stream, At(offset), why,
               file.c_str());
    return false;
  }

  // The packets at the start of a part that finish the previous part's last unit are expected.
  bool StrayPacket(int stream, std::int64_t offset) override {
    const auto s = static_cast<std::size_t>(stream);
    if (!Chosen(stream) || (continued_[s] && !started_[s])) return true;
    LogMessage(kLogError, "ERROR - Stream %d packet at %08llX continues a unit that did not begin "
               "in the files given [%s]", stream, At(offset), here_->path.c_str());
    return false;
  }

 private:
  bool Chosen(int stream) const { return stream_ < 0 || stream == stream_; }

  const EntryMap& map_;
  int stream_;
  VobFilePlan* here_ = nullptr;
  VobFilePlan* next_ = nullptr;
  std::array<bool, kSubpictureStreams> continued_{};      // a unit of the previous file ends here
  std::array<bool, kSubpictureStreams> continuesNext_{};  // a unit of this file ends in the next
  std::array<bool, kSubpictureStreams> started_{};        // a unit of this file was seen
  bool anyUnit_ = false;
  std::vector<BytePatch> patches_;
  ChunkWriter* copy_ = nullptr;  // the copy written as the scan reads, if any
  const std::string* out_ = nullptr;
  std::size_t applied_ = 0;     // the patches of here_ already in the copy or in late_
  std::vector<VobPatch> late_;  // changed bytes in chunks already copied
};

bool VobRemap::Plan(const std::vector<std::string>& paths) {
  PlanSink sink(map_, stream_);
  return PlanWith(paths, sink);
}

bool VobRemap::PlanWith(const std::vector<std::string>& paths, PlanSink& sink) {
  plans_.assign(paths.size(), VobFilePlan());
  for (std::size_t i = 0; i < paths.size(); ++i) plans_[i].path = paths[i];
  CFileVOB vob;
  vob.SetUnitSink(&sink);
  vob.SetScanLineLevel(scanLineLevel_);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const bool hasNext = i + 1 < paths.size() && IsNextVobPart(paths[i], paths[i + 1]);
    sink.Begin(plans_[i], hasNext ? &plans_[i + 1] : nullptr);
    if (!vob.Open(paths[i])) return false;
    if (hasNext) vob.SetNextPart(paths[i + 1]);
    if (vob.Scan(false) < 0) return false;
  }
  if (!sink.AnyUnit()) {
    if (stream_ < 0) {
      LogMessage(kLogError, "ERROR - No subtitle units in the files given");
    } else {
      LogMessage(kLogError, "ERROR - No subtitle units of stream %d in the files given", stream_);
    }
    return false;
  }
  for (VobFilePlan& plan : plans_) {
    std::sort(plan.patches.begin(), plan.patches.end(),
              [](const VobPatch& a, const VobPatch& b) { return a.offset < b.offset; });
  }
  return true;
}

namespace {

// A stretch of neighbouring bytes to change in one file: one write each way.
struct Run {
  std::size_t file = 0;
  std::int64_t offset = 0;
  std::vector<std::uint8_t> before;
  std::vector<std::uint8_t> after;
};

// The runs of every plan, file after file, each file's in offset order.
std::vector<Run> PlanRuns(const std::vector<VobFilePlan>& plans) {
  std::vector<Run> runs;
  for (std::size_t f = 0; f < plans.size(); ++f) {
    for (const VobPatch& patch : plans[f].patches) {
      if (runs.empty() || runs.back().file != f ||
          runs.back().offset + static_cast<std::int64_t>(runs.back().after.size()) != patch.offset) {
        runs.push_back({f, patch.offset, {}, {}});
      }
      runs.back().before.push_back(patch.before);
      runs.back().after.push_back(patch.after);
    }
  }
  return runs;
}

// Opens a planned file for writing, or logs why it can't be (a limit such as the number of open
// files among the reasons).
FileDescriptor OpenPlanned(const std::string& path) {
  FileDescriptor file(OpenForPatching(path));
  if (!file.valid()) {
    LogMessage(kLogError, "ERROR - Can't open [%s] for writing: %s", path.c_str(), std::strerror(errno));
  }
  return file;
}

// Writes the old bytes of runs[0, written) back, newest first, opening one file at a time, then
// reads every one of them again: each file that does not hold its old bytes is named.
void PutBack(const std::vector<VobFilePlan>& plans, const std::vector<Run>& runs, std::size_t written) {
  const auto eachFile = [&](const auto& work) {
    for (std::size_t end = written; end > 0;) {
      std::size_t begin = end;
      while (begin > 0 && runs[begin - 1].file == runs[end - 1].file) --begin;
      const FileDescriptor file(OpenForUpdate(plans[runs[end - 1].file].path));
      work(file.get(), begin, end);
      end = begin;
    }
  };
  eachFile([&](int fd, std::size_t begin, std::size_t end) {
    for (std::size_t r = end; fd >= 0 && r > begin; --r) {
      WriteAt(fd, runs[r - 1].offset, runs[r - 1].before.data(), runs[r - 1].before.size());
    }
    if (fd >= 0) FlushFileData(fd);
  });
  std::vector<std::uint8_t> now;
  eachFile([&](int fd, std::size_t begin, std::size_t end) {
    bool back = fd >= 0;
    for (std::size_t r = begin; back && r < end; ++r) {
      now.resize(runs[r].before.size());
      back = ReadAt(fd, runs[r].offset, now.data(), now.size()) && now == runs[r].before;
    }
    if (!back) {
      LogMessage(kLogError, "ERROR - Can't put back every byte written; the file holds some of the "
                 "new bytes [%s]", plans[runs[begin].file].path.c_str());
    }
  });
}

// Creates the copy's target; false with the error line. A device or FIFO is refused: the copy
// needs a file it can write at any offset.
bool CreateCopyTarget(AtomicFile& target, const std::string& out) {
  if (!target.Create()) {
    LogMessage(kLogError, "ERROR - Can't Create [%s]", out.c_str());
    return false;
  }
  if (target.method() == AtomicFile::Method::kDirect) {
    LogMessage(kLogError, "ERROR - Can't write a VOB copy to a device or FIFO [%s]", out.c_str());
    return false;
  }
  return true;
}

}  // namespace

bool VobRemap::PlanAndWriteCopy(const std::string& path, const std::string& out) {
  // Refused before it is opened: opening a FIFO would wait for a reader.
  if (IsDeviceOrFifo(out)) {
    LogMessage(kLogError, "ERROR - Can't write a VOB copy to a device or FIFO [%s]", out.c_str());
    return false;
  }
  if (!PathExists(path)) {
    LogMessage(kLogError, "ERROR - Can't open [%s]", path.c_str());
    return false;
  }
  // A new copy, as cp makes it: renamed into place only when complete, but not forced to the
  // disk first. The source is never written, so a power cut can cost only this copy.
  AtomicFile target(out, AtomicFile::Durability::kNoFlush);
  if (!CreateCopyTarget(target, out)) return false;
  // The copy is written from the very bytes the scan plans from, as it reads them: one read of
  // the file, and no byte that could change between plan and copy. Every way out before the
  // commit stops the writing thread and leaves `out` alone.
  PlanSink sink(map_, stream_);
  ChunkWriter copy(target);
  sink.CopyInto(copy, out);
  if (!PlanWith({path}, sink)) return false;
  if (!copy.Finish()) {
    LogMessage(kLogError, "ERROR - Can't write to file [%s]", out.c_str());
    return false;
  }
  if (!sink.WriteLatePatches(target)) return false;
  if (!target.Commit()) {
    LogMessage(kLogError, "ERROR - Can't write to file [%s]", out.c_str());
    return false;
  }
  return true;
}

bool VobRemap::WriteInPlace() const {
  const std::vector<Run> runs = PlanRuns(plans_);
  // Every file is opened and checked before the first write, one at a time: a run over many
  // files holds no more than one of them open.
  std::vector<std::uint8_t> now;
  for (std::size_t r = 0; r < runs.size();) {
    const std::size_t f = runs[r].file;
    const FileDescriptor file = OpenPlanned(plans_[f].path);
    if (!file.valid()) return false;
    for (; r < runs.size() && runs[r].file == f; ++r) {
      now.resize(runs[r].before.size());
      if (!ReadAt(file.get(), runs[r].offset, now.data(), now.size()) || now != runs[r].before) {
        LogMessage(kLogError, "ERROR - File changed since it was scanned [%s]", plans_[f].path.c_str());
        return false;
      }
    }
  }

  // Then file after file: its runs written, flushed and closed before the next is opened.
  FileDescriptor file;
  std::size_t written = 0;  // runs that may have been written, from the first
  const auto stop = [&] {
    file.Close();
    PutBack(plans_, runs, written);
    return false;
  };
  while (written < runs.size()) {
    const std::size_t f = runs[written].file;
    file = OpenPlanned(plans_[f].path);
    if (!file.valid()) return stop();
    LogMessage(kLogDetail, "Writing to [%s]", plans_[f].path.c_str());
    for (; written < runs.size() && runs[written].file == f; ++written) {
      if (PumpMessages()) {
        LogMessage(kLogWarning, "WARNING - Cancel button pressed process aborted!");
        return stop();
      }
      const Run& run = runs[written];
      if (!WriteAt(file.get(), run.offset, run.after.data(), run.after.size())) {
        ++written;  // part of it may be written
        LogMessage(kLogError, "ERROR - Can't write to file [%s]", plans_[f].path.c_str());
        return stop();
      }
    }
    if (!FlushFileData(file.get()) || !file.Close()) {
      LogMessage(kLogError, "ERROR - Can't write to file [%s]", plans_[f].path.c_str());
      return stop();
    }
  }
  return true;
}
