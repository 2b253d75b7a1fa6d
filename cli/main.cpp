// velmoran-cli: the window's file work from the command line.
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "cli/CliCommon.h"
#include "cli/Commands.h"
#include "core/Platform.h"
#include "core/Signals.h"

namespace {

int Usage(const std::string& message) {
  std::fprintf(stderr, "velmoran-cli: %s\n\n%s", message.c_str(), kUsageText);
  return kExitUsage;
}

// The command that `rest` (group, action, ...) names, or nullptr.
const CommandSpec* NamedCommand(const Args& rest) {
  return rest.size() > 1 ? FindCommandSpec(rest[0] + " " + rest[1]) : nullptr;
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

// The words without --log-level and its value, which may stand anywhere before "--"; the
// level given is put in `level`.
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
  try {
    const Args rest = TakeLogLevel(args, level);
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
    if (rest[0] == "--version") {
      std::printf("velmoran-cli %s\n", VELMORAN_VERSION);
      return kExitOk;
    }
    StderrLog log(level);
    ScopedLogTarget scoped(&log);
    const std::string group = rest[0];
    const Args tail(rest.begin() + 1, rest.end());
    if (group == "sup") return RunSupCommand(tail);
    if (group == "ifo") return RunIfoCommand(tail);
    if (group == "vob") return RunVobCommand(tail);
    if (group == "colour" || group == "color") return RunColourCommand(tail);
    throw UsageError("unknown command '" + group + "'");
  } catch (const UsageError& error) {
    return Usage(error.what());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "velmoran-cli: %s\n", error.what());
    return kExitFailed;
  }
}

}  // namespace

int main(int argc, char** argv) { return FinishStandardOutput(Run(argc, argv)); }
