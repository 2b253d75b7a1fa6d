// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli: the window's file work from the command line.
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>

#include "cli/CliCommon.h"
#include "cli/Commands.h"
#include "core/Platform.h"
#include "core/Signals.h"

namespace {

// The command that `rest` (group, action, ...) names, or nullptr.
const CommandSpec* NamedCommand(const Args& rest) {
  return rest.size() > 1 ? FindCommandSpec(rest[0] + " " + rest[1]) : nullptr;
}

// A usage error: its one line and where the usage is, the command's when one is named.
int Usage(const std::string& message, const Args& rest) {
  const CommandSpec* command = NamedCommand(rest);
  const std::string help = command != nullptr ? std::string(command->name) + " --help" : "--help";
  std::fprintf(stderr, "velmoran-cli: %s\nTry 'velmoran-cli %s' for more information.\n",
               message.c_str(), help.c_str());
  return kExitUsage;
}

// True when the command's words (before "--") ask for --json.
bool WantsJson(const Args& rest) {
  for (const std::string& word : rest) {
    if (word == "--") return false;
    if (word == "--json") return true;
  }
  return false;
}

// With --json, a failure (not a Ctrl-C) is also reported on standard output, as one JSON object.
int ReportFailure(int status, const Args& rest, const std::string& error, const std::string& file) {
  if (status == kExitOk || status == kExitCancelled || !WantsJson(rest)) return status;
  const Json out = {{"error", error.empty() ? "failed" : error},
                    {"file", file.empty() ? Json(nullptr) : Json(file)}};
  std::fputs((JsonText(out) + "\n").c_str(), stdout);
  return status;
}

// The usage of `words` ("sup", "sup show") on standard output: one command's, a group's, or
// the whole tool's when `words` is empty.
int Help(const Args& words) {
  if (words.empty()) {
    std::fputs(kUsageText, stdout);
    return kExitOk;
  }
  const CommandSpec* command = NamedCommand(words);
  const std::string text = command != nullptr ? CommandUsage(*command) : GroupUsage(words[0]);
  if (text.empty() || (command == nullptr && words.size() > 1)) {
    throw UsageError("no command '" + words[0] + (words.size() > 1 ? " " + words[1] : "") + "'");
  }
  std::fputs(text.c_str(), stdout);
  return kExitOk;
}

// The words without --log-level and its value, -q/--quiet (level 2) and -v/--verbose (level 5),
// which may stand anywhere before "--"; the level given is put in `level`.
Args TakeLogLevel(const Args& args, int& level) {
  Args rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--") {
      rest.insert(rest.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
      break;
    }
    if (a == "--log-level" || a.rfind("--log-level=", 0) == 0) {
      // Parsed by the shared rule: this word, and the next when the value stands apart.
      const std::size_t words = a == "--log-level" ? 2 : 1;
      const auto from = args.begin() + static_cast<std::ptrdiff_t>(i);
      const auto to = args.begin() + static_cast<std::ptrdiff_t>(std::min(i + words, args.size()));
      const CommandLine line = ParseCommandLine(Args(from, to), GlobalOptions(), "");
      level = ParseInt(*line.Value("--log-level"), -1, 10, "--log-level");
      i += words - 1;
    } else if (a == "-q" || a == "--quiet") {
      level = kLogError;
    } else if (a == "-v" || a == "--verbose") {
      level = kLogDetail;
    } else {
      rest.push_back(a);
    }
  }
  return rest;
}

// Standard output flushed and closed: results that did not all reach it (a full disk, a device
// that takes nothing) fail a command that worked, with the system's reason.
int FinishStandardOutput(int status) {
  errno = 0;
  const bool written = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
  const int reason = FirstResultsError() != 0 ? FirstResultsError() : errno;
  // A standard output that was never open (EBADF) took nothing: a write would have failed above.
  const bool closed = std::fclose(stdout) == 0 || errno == EBADF;
  if (written && closed) return status;
  const int shown = !written ? reason : errno;
  std::fprintf(stderr, "velmoran-cli: standard output: %s\n",
               shown != 0 ? std::strerror(shown) : "write error");
  return status == kExitOk ? kExitFailed : status;
}

int Run(int argc, char** argv) {
  const std::vector<std::string> all = ProgramArguments(argc, argv);
  Args args(all.empty() ? all.end() : all.begin() + 1, all.end());
  UseBinaryStandardStreams();
  RemoveTemporaryFilesOnSignals();
  int level = kDefaultCliLogLevel;
  Args rest;
  std::optional<StderrLog> log;
  const auto failure = [&](int status, const std::string& error) {
    return ReportFailure(status, rest, log && error.empty() ? log->LastError() : error,
                         log && error.empty() ? log->LastErrorFile() : "");
  };
  try {
    rest = TakeLogLevel(args, level);
    if (rest.empty()) throw UsageError("a command is missing");
    if (rest[0] == "--help" || rest[0] == "-h") return Help({});
    if (rest[0] == "help") return Help(Args(rest.begin() + 1, rest.end()));
    // COMMAND --help, or a group's --help: before "--", and not as an option's value.
    const CommandSpec* command = NamedCommand(rest);
    const std::ptrdiff_t named = command != nullptr ? 2 : 1;
    if (AsksForHelp(Args(rest.begin() + named, rest.end()),
                    command != nullptr ? command->options : std::vector<OptionSpec>{})) {
      return Help(Args(rest.begin(), rest.begin() + named));
    }
    if (rest[0] == "--version" || rest[0] == "-V") {
      std::printf("velmoran-cli %s\n", VELMORAN_VERSION);
      return kExitOk;
    }
    log.emplace(level);
    ScopedLogTarget scoped(&*log);
    const std::string group = rest[0];
    const Args tail(rest.begin() + 1, rest.end());
    int status = kExitOk;
    if (group == "sup") {
      status = RunSupCommand(tail);
    } else if (group == "ifo") {
      status = RunIfoCommand(tail);
    } else if (group == "vob") {
      status = RunVobCommand(tail);
    } else if (group == "vobsub") {
      status = RunVobSubCommand(tail);
    } else if (group == "colour" || group == "color") {
      status = RunColourCommand(tail);
    } else {
      throw UsageError("unknown command '" + group + "'");
    }
    return failure(status, "");
  } catch (const UsageError& error) {
    return failure(Usage(error.what(), rest), error.what());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "velmoran-cli: %s\n", error.what());
    return failure(kExitFailed, error.what());
  }
}

}  // namespace

int main(int argc, char** argv) { return FinishStandardOutput(Run(argc, argv)); }
