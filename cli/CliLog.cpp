// velmoran-cli's log: the log lines on standard error, written around a status line.
#include "cli/CliLog.h"

#include <cerrno>
#include <cstdio>

namespace {
int gFirstResultsError = 0;
}

void FlushResults() {
  errno = 0;
  if (std::fflush(stdout) != 0 && gFirstResultsError == 0) gFirstResultsError = errno;
}

int FirstResultsError() { return gFirstResultsError; }

void StderrLog::AppendLine(const std::string& line) {
  if (status_ != nullptr) status_->Clear();
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fputc('\n', stderr);
  if (status_ != nullptr) status_->Redraw();
}
