// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli sup: shows a SUP file's mappings, or remaps every subtitle of it by slot or by
// palette entry.
#include <algorithm>
#include <array>
#include <cstdint>
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

// The four slots of a word, or nothing when the command is missing (-1).
std::string WordSlots(int word, const char* separator, const char* missing) {
  if (word < 0) return missing;
  std::string text;
  for (int s = 0; s < kSlotCount; ++s) {
    if (s > 0) text += separator;
    text += std::to_string(SlotValue(s, word));
  }
  return text;
}

// The four slots of a word as a JSON list, or null when the command is missing (-1).
Json JsonSlots(int word) {
  if (word < 0) return nullptr;
  Json slots = Json::array();
  for (int s = 0; s < kSlotCount; ++s) slots.push_back(SlotValue(s, word));
  return slots;
}

Json MappingsJson(const CFileSUP& sup) {
  Json mappings = Json::array();
  for (const SupMapping& m : sup.Mappings()) {
    mappings.push_back(Json{{"colours", JsonSlots(m.colour)},
                            {"intensities", JsonSlots(m.contrast)},
                            {"subtitles", m.subtitles}});
  }
  return mappings;
}

// "mappings: K" and one line per mapping, when the subtitles use more than one; a missing
// command shows as four dashes, so every line has the same fields.
std::string MappingsText(const CFileSUP& sup) {
  const std::vector<SupMapping>& all = sup.Mappings();
  if (all.size() < 2) return {};
  std::string out = "mappings: " + std::to_string(all.size()) + "\n";
  for (std::size_t i = 0; i < all.size(); ++i) {
    out += "mapping " + std::to_string(i + 1) + ": colours " + WordSlots(all[i].colour, " ", "- - - -") +
           " intensities " + WordSlots(all[i].contrast, " ", "- - - -") + " subtitles " +
           std::to_string(all[i].subtitles) + "\n";
  }
  return out;
}

int Show(const Args& args) {
  const CommandLine line = ParseCommandLine(args, "sup show");
  const std::string file = line.OneOperand("FILE");
  const bool json = line.Has("--json");

  SupTabValues tab;
  CFileSUP sup(tab);
  const int count = sup.Load(file, Holding::kFile);
  if (count < 0) return kExitFailed;
  LogMessage(kLogInfo, "SUP file loaded - [%s]", file.c_str());
  if (json) {
    // null for a list the first subtitle has no command for (the load warned about it).
    const auto list = [&](bool colours, bool found) -> Json {
      if (count > 0 && !found) return nullptr;
      Json slots = Json::array();
      for (int s = 0; s < kSlotCount; ++s)
        slots.push_back(colours ? sup.GetFileColour(s) : sup.GetFileIntensity(s));
      return slots;
    };
    const Json out = {{"file", file},
                      {"subtitles", SupSubtitlesJson(sup)},
                      {"colours", list(true, sup.FileColourFound())},
                      {"intensities", list(false, sup.FileIntensityFound())},
                      {"mappings", MappingsJson(sup)}};
    std::fputs((JsonText(out) + "\n").c_str(), stdout);
  } else {
    std::printf("subtitles: %d\ncolours: %s\nintensities: %s\n%s", count,
                JoinSlots(sup, true, " ").c_str(), JoinSlots(sup, false, " ").c_str(),
                MappingsText(sup).c_str());
  }
  return kExitOk;
}

// The subtitles whose packets hold a changed byte.
int ChangedSubtitles(const CFileSUP& sup, const std::vector<std::uint8_t>& before,
                     const std::vector<std::uint8_t>& after) {
  const std::vector<std::int32_t>& offsets = sup.PacketOffsets();
  int changed = 0;
  for (std::size_t p = 0; p < offsets.size(); ++p) {
    const std::size_t from = static_cast<std::size_t>(offsets[p]);
    const std::size_t to = p + 1 < offsets.size() ? static_cast<std::size_t>(offsets[p + 1])
                                                  : std::max(before.size(), after.size());
    for (std::size_t i = from; i < to; ++i) {
      if (i >= before.size() || i >= after.size() || before[i] != after[i]) {
        ++changed;
        break;
      }
    }
  }
  return changed;
}

// Saves the loaded file to OUT through `save`: to OUT, to standard output ("-"), or, for a
// dry run, to a temporary file compared with what was loaded.
template <typename SaveFunction>
int SaveRemap(CFileSUP& sup, const std::string& file, const std::string& out, bool dryRun,
              SaveFunction save) {
  const SaveTarget target(out, dryRun);
  const std::vector<std::uint8_t> before = dryRun ? sup.Data() : std::vector<std::uint8_t>{};
  if (!save(target.Path())) return kExitFailed;
  if (!dryRun) return target.Finish() ? kExitOk : kExitFailed;
  const std::vector<std::uint8_t> after = target.Saved();
  PrintDryRun(file, "subtitles", static_cast<std::uint64_t>(ChangedSubtitles(sup, before, after)),
              ChangedBytes(before, after));
  return kExitOk;
}

int Remap(const Args& args) {
  const CommandLine line = ParseCommandLine(args, "sup remap");
  const std::string file = line.OneOperand("FILE");
  const std::string out = line.Required("-o", "-o OUT");
  const bool dryRun = line.Has("--dry-run");
  const bool bySlot = line.Has("--colours") || line.Has("--intensities");
  const bool byEntry = line.Has("--entries") || line.Has("--contrast");
  if (bySlot && byEntry) line.Fail("--entries/--contrast cannot be mixed with --colours/--intensities");

  SupTabValues tab;
  CFileSUP sup(tab);
  if (byEntry) {
    const EntryMap map = EntryMapOptions(line);
    if (sup.Load(file, Holding::kFile) < 0) return kExitFailed;
    return SaveRemap(sup, file, out, dryRun,
                     [&](const std::string& path) { return sup.SaveEntryRemap(path, map); });
  }

  const std::vector<int> colours =
      ParseIntList(line.Required("--colours", "--colours"), kSlotCount, 0, 15, "--colours");
  const std::vector<int> intensities = ParseIntList(line.Required("--intensities", "--intensities"),
                                                    kSlotCount, 0, 15, "--intensities");
  // The mapping stands in the tab's lists, where a save reads it.
  for (int s = 0; s < kSlotCount; ++s) {
    tab.map[s] = colours[s];
    tab.intensity[s] = intensities[s];
  }
  if (sup.Load(file, Holding::kFile) < 0) return kExitFailed;
  return SaveRemap(sup, file, out, dryRun, [&](const std::string& path) { return sup.Save(path); });
}

}  // namespace

int RunSupCommand(const Args& args) {
  if (args.empty()) throw UsageError("sup: a subcommand is missing (show or remap)");
  const Args rest(args.begin() + 1, args.end());
  if (args[0] == "show") return Show(rest);
  if (args[0] == "remap") return Remap(rest);
  if (args[0] == "pictures") return RunSupPictures(rest);
  if (args[0] == "to-vobsub") return RunSupToVobSub(rest);
  throw UsageError("sup: unknown subcommand '" + args[0] + "'");
}
