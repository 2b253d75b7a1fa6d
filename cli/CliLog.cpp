// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli's log: the log lines on standard error, written around a status line.
#include "cli/CliLog.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/FileIO.h"
#include "core/Platform.h"

namespace {

// The file named by a failure line "... Can't open [FILE]" (open, read, create, write), or "".
std::string FailedFile(const std::string& line) {
  static const char* const kFailures[] = {"Can't open [",          "Can't read [",
                                          "Can't Create [",        "Can't Create file [",
                                          "Can't write to file [", "Can't read from file [",
                                          "Writing to SUP file [", "Writing to IFO file ["};
  if (line.empty() || line.back() != ']') return {};
  for (const char* failure : kFailures) {
    const std::size_t at = line.find(failure);
    if (at != std::string::npos) {
      const std::size_t from = at + std::strlen(failure);
      return line.substr(from, line.size() - 1 - from);
    }
  }
  return {};
}

// The system's reason for a failure with `file`. An open is tried again, as errno may have
// moved on since; otherwise errno as the line came, when it says anything.
std::string Reason(const std::string& line, const std::string& file, int error) {
  if (line.find("Can't open [") != std::string::npos) {
    const FileDescriptor fd(OpenForReading(file));
    struct stat info {};
    if (!fd.valid()) {
      error = errno;
    } else if (::fstat(fd.get(), &info) == 0 && S_ISDIR(info.st_mode)) {
      error = EISDIR;
    }
  }
  return error != 0 ? std::strerror(error) : "";
}

int gFirstResultsError = 0;

}  // namespace

void FlushResults() {
  errno = 0;
  if (std::fflush(stdout) != 0 && gFirstResultsError == 0) gFirstResultsError = errno;
}

int FirstResultsError() { return gFirstResultsError; }

void StderrLog::Write(const std::string& line) {
  if (status_ != nullptr) status_->Clear();
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fputc('\n', stderr);
  if (status_ != nullptr) status_->Redraw();
}

void StderrLog::AppendLine(const std::string& logged) {
  const int error = errno;
  std::string line = logged;
  if (!standIn_.empty()) {
    const std::size_t at = line.find(standIn_);
    if (at != std::string::npos && standInShown_.empty()) return;
    if (at != std::string::npos) line.replace(at, standIn_.size(), standInShown_);
  }
  const bool isError = line.rfind("ERROR", 0) == 0;
  // Below the error level, lines come only to be kept for --json.
  const bool shown = level_ >= kLogError;
  if (shown) Write(line);
  if (!isError) return;
  lastError_ = line;
  // The file an error line names stands in brackets at its end.
  const std::size_t open = line.back() == ']' ? line.rfind('[') : std::string::npos;
  lastErrorFile_ = open != std::string::npos ? line.substr(open + 1, line.size() - open - 2) : "";
  const std::string file = FailedFile(line);
  if (file.empty()) return;
  const std::string reason = Reason(line, file, error);
  if (reason.empty()) return;
  lastError_ += ": " + reason;
  if (shown) Write("velmoran-cli: " + file + ": " + reason);
}
