// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli's outputs that are not OUT itself: "-o -" (standard output) and --dry-run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliLog.h"

// Where a command saves OUT: OUT itself, or, for "-" and for a dry run, a temporary file that
// is removed again when the object goes (for "-", after Finish has copied it to standard
// output). The document saves to Path() as it would save to OUT, with every check; its log lines
// name "-" for the temporary file, and a dry run's lines about it are left out.
class SaveTarget {
 public:
  // Throws std::runtime_error, with the system's reason, when no temporary file can be made.
  SaveTarget(const std::string& out, bool dryRun);
  ~SaveTarget();
  SaveTarget(const SaveTarget&) = delete;
  SaveTarget& operator=(const SaveTarget&) = delete;

  const std::string& Path() const { return path_; }
  // After a successful save: for "-", the saved bytes to standard output. False, with the
  // reason on standard error, when they can't be read back.
  bool Finish() const;
  // The bytes the save wrote to the temporary file; empty when they can't be read.
  std::vector<std::uint8_t> Saved() const;

 private:
  std::string path_;
  std::optional<StderrLog::ScopedStandIn> standIn_;
  bool temporary_ = false;
  bool toStdout_ = false;
};

// How many bytes differ between `before` and `after`, a difference in length counted too.
std::uint64_t ChangedBytes(const std::vector<std::uint8_t>& before,
                           const std::vector<std::uint8_t>& after);

// The dry run's report of one file: "file: NAME", the count of what would change under `what`
// ("subtitles", "pgcs", "remapped") and "bytes: N", on standard output.
void PrintDryRun(const std::string& file, const char* what, std::uint64_t count,
                 std::uint64_t bytes);
