// velmoran-cli sup: shows a SUP file's mapping, or remaps every subtitle of it.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "files/Filesup.h"
#include "files/Tabs.h"

namespace {

bool IsOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

// The one FILE operand; a second one or none is a usage error.
void TakeFile(std::optional<std::string>& file, const std::string& arg) {
  if (file) throw UsageError("more than one FILE given ('" + arg + "')");
  file = arg;
}

std::string JoinSlots(const CFileSUP& sup, bool colours, const char* separator) {
  std::string text;
  for (int s = 0; s < kSlotCount; ++s) {
    if (s > 0) text += separator;
    text += std::to_string(colours ? sup.GetFileColour(s) : sup.GetFileIntensity(s));
  }
  return text;
}

int Show(const Args& args) {
  std::optional<std::string> file;
  bool json = false;
  for (const std::string& arg : args) {
    if (arg == "--json") {
      json = true;
    } else if (IsOption(arg)) {
      throw UsageError("sup show: unknown option '" + arg + "'");
    } else {
      TakeFile(file, arg);
    }
  }
  if (!file) throw UsageError("sup show: FILE is missing");

  SupTabValues tab;
  CFileSUP sup(tab);
  const int count = sup.Load(*file);
  if (count < 0) return kExitFailed;
  LogMessage(kLogInfo, "SUP file loaded - [%s]", file->c_str());
  if (json) {
    // null for a list the first subtitle has no command for (the load warned about it).
    const auto list = [&](bool colours, bool found) {
      return count > 0 && !found ? std::string("null") : "[" + JoinSlots(sup, colours, ", ") + "]";
    };
    std::printf("{\"file\": %s, \"subtitles\": %d, \"colours\": %s, \"intensities\": %s}\n",
                JsonString(*file).c_str(), count, list(true, sup.FileColourFound()).c_str(),
                list(false, sup.FileIntensityFound()).c_str());
  } else {
    std::printf("subtitles: %d\ncolours: %s\nintensities: %s\n", count,
                JoinSlots(sup, true, " ").c_str(), JoinSlots(sup, false, " ").c_str());
  }
  return kExitOk;
}

int Remap(const Args& args) {
  std::optional<std::string> file;
  std::optional<std::string> out;
  std::optional<std::vector<int>> colours;
  std::optional<std::vector<int>> intensities;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-o") {
      if (out) throw UsageError("sup remap: -o given twice");
      out = TakeValue(args, i, "-o");
    } else if (arg == "--colours") {
      if (colours) throw UsageError("sup remap: --colours given twice");
      colours = ParseIntList(TakeValue(args, i, arg), kSlotCount, 0, 15, arg);
    } else if (arg == "--intensities") {
      if (intensities) throw UsageError("sup remap: --intensities given twice");
      intensities = ParseIntList(TakeValue(args, i, arg), kSlotCount, 0, 15, arg);
    } else if (IsOption(arg)) {
      throw UsageError("sup remap: unknown option '" + arg + "'");
    } else {
      TakeFile(file, arg);
    }
  }
  if (!file) throw UsageError("sup remap: FILE is missing");
  if (!out) throw UsageError("sup remap: -o OUT is missing");
  if (!colours) throw UsageError("sup remap: --colours is missing");
  if (!intensities) throw UsageError("sup remap: --intensities is missing");

  // The mapping stands in the tab's lists, where a save reads it.
  SupTabValues tab;
  for (int s = 0; s < kSlotCount; ++s) {
    tab.map[s] = (*colours)[s];
    tab.intensity[s] = (*intensities)[s];
  }
  CFileSUP sup(tab);
  if (sup.Load(*file) < 0) return kExitFailed;
  return sup.Save(*out) ? kExitOk : kExitFailed;
}

}  // namespace

int RunSupCommand(const Args& args) {
  if (args.empty()) throw UsageError("sup: a subcommand is missing (show or remap)");
  const Args rest(args.begin() + 1, args.end());
  if (args[0] == "show") return Show(rest);
  if (args[0] == "remap") return Remap(rest);
  throw UsageError("sup: unknown subcommand '" + args[0] + "'");
}
