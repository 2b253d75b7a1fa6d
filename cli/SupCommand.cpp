// velmoran-cli sup: shows a SUP file's mapping, or remaps every subtitle of it.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "files/Filesup.h"
#include "files/Tabs.h"

namespace {

std::string JoinSlots(const CFileSUP& sup, bool colours, const char* separator) {
  std::string text;
  for (int s = 0; s < kSlotCount; ++s) {
    if (s > 0) text += separator;
    text += std::to_string(colours ? sup.GetFileColour(s) : sup.GetFileIntensity(s));
  }
  return text;
}

int Show(const Args& args) {
  const CommandLine line = ParseCommandLine(args, {{"--json"}}, "sup show");
  const std::string file = line.OneOperand("FILE");
  const bool json = line.Has("--json");

  SupTabValues tab;
  CFileSUP sup(tab);
  const int count = sup.Load(file);
  if (count < 0) return kExitFailed;
  LogMessage(kLogInfo, "SUP file loaded - [%s]", file.c_str());
  if (json) {
    // null for a list the first subtitle has no command for (the load warned about it).
    const auto list = [&](bool colours, bool found) {
      return count > 0 && !found ? std::string("null") : "[" + JoinSlots(sup, colours, ", ") + "]";
    };
    std::printf("{\"file\": %s, \"subtitles\": %d, \"colours\": %s, \"intensities\": %s}\n",
                JsonString(file).c_str(), count, list(true, sup.FileColourFound()).c_str(),
                list(false, sup.FileIntensityFound()).c_str());
  } else {
    std::printf("subtitles: %d\ncolours: %s\nintensities: %s\n", count,
                JoinSlots(sup, true, " ").c_str(), JoinSlots(sup, false, " ").c_str());
  }
  return kExitOk;
}

int Remap(const Args& args) {
  const CommandLine line = ParseCommandLine(
      args, {{"-o", true}, {"--colours", true}, {"--intensities", true}}, "sup remap");
  const std::string file = line.OneOperand("FILE");
  const std::string out = line.Required("-o", "-o OUT");
  const std::vector<int> colours =
      ParseIntList(line.Required("--colours", "--colours"), kSlotCount, 0, 15, "--colours");
  const std::vector<int> intensities = ParseIntList(line.Required("--intensities", "--intensities"),
                                                    kSlotCount, 0, 15, "--intensities");

  // The mapping stands in the tab's lists, where a save reads it.
  SupTabValues tab;
  for (int s = 0; s < kSlotCount; ++s) {
    tab.map[s] = colours[s];
    tab.intensity[s] = intensities[s];
  }
  CFileSUP sup(tab);
  if (sup.Load(file) < 0) return kExitFailed;
  return sup.Save(out) ? kExitOk : kExitFailed;
}

}  // namespace

int RunSupCommand(const Args& args) {
  if (args.empty()) throw UsageError("sup: a subcommand is missing (show or remap)");
  const Args rest(args.begin() + 1, args.end());
  if (args[0] == "show") return Show(rest);
  if (args[0] == "remap") return Remap(rest);
  throw UsageError("sup: unknown subcommand '" + args[0] + "'");
}
