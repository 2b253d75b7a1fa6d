// velmoran-cli: the window's file work from the command line.
#include <algorithm>
#include <cstddef>
#include <cstdio>
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

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> all = ProgramArguments(argc, argv);
  Args args(all.empty() ? all.end() : all.begin() + 1, all.end());
  UseBinaryStandardStreams();
  RemoveTemporaryFilesOnSignals();
  int level = kDefaultCliLogLevel;
  Args rest;
  try {
    // --log-level may stand anywhere before "--"; everything else goes to the command.
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
        const CommandLine line = ParseCommandLine(Args(from, to), {{"--log-level", true}}, "");
        level = ParseInt(*line.Value("--log-level"), -1, 10, "--log-level");
        i += words - 1;
      } else {
        rest.push_back(a);
      }
    }
    if (rest.empty()) throw UsageError("a command is missing");
    if (rest[0] == "--help" || rest[0] == "-h") {
      std::fputs(kUsageText, stdout);
      return kExitOk;
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
