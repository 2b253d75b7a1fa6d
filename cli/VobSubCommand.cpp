// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli vobsub, and sup to-vobsub: VobSub pairs shown, converted to and from SUP files,
// their palette line set and their units remapped by palette entry.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "core/Colour.h"
#include "core/FileIO.h"
#include "core/Log.h"
#include "core/Signals.h"
#include "files/Fileifo.h"
#include "files/Filesup.h"
#include "files/IfoAttributes.h"
#include "files/PaletteFile.h"
#include "files/SubtitlePicture.h"
#include "files/Tabs.h"
#include "files/VobRemap.h"
#include "files/VobSub.h"

namespace {

constexpr std::int64_t kMaxSupTime = 0xFFFFFFFF;  // a SUP packet holds the time in 32 bits

// OUT.idx as -o gives it: a VobSub pair is two files, so neither "-" nor a name without .idx.
std::string IdxOutput(const CommandLine& line, const std::string& value) {
  if (!HasExtension(value, ".idx")) line.Fail("-o: '" + value + "' does not end in .idx");
  return value;
}

// The FILE.idx operand: an .idx file by name, its .sub beside it, so not standard input.
std::string IdxOperand(const CommandLine& line) {
  const std::string file = line.OneOperand("FILE.idx");
  if (file == "-") line.Fail("a VobSub pair can't be read from standard input; give FILE.idx");
  if (!HasExtension(file, ".idx")) line.Fail("'" + file + "' does not end in .idx");
  return file;
}

// Saves the .idx text and, when OUT's .sub is not the input's, the .sub beside it: both written
// completely before either replaces what was there, the .idx last.
bool SavePair(const std::string& out, const std::string& idxText, const VobSubFile& vobsub) {
  AtomicFile idx(out);
  const ByteView text(reinterpret_cast<const std::uint8_t*>(idxText.data()), idxText.size());
  if (!idx.Create() || !idx.Write(text)) {
    LogMessage(kLogError, "ERROR - Can't write to file [%s]", out.c_str());
    return false;
  }
  const std::string sub = VobSubSubPath(out);
  if (sub != vobsub.SubPath() && SaveFileAtomically(sub, vobsub.SubBytes()) != SaveResult::kOk) {
    LogMessage(kLogError, "ERROR - Can't write to file [%s]", sub.c_str());
    return false;
  }
  if (!idx.Commit()) {
    LogMessage(kLogError, "ERROR - Can't write to file [%s]", out.c_str());
    return false;
  }
  return true;
}

int SupToVobSub(const Args& args) {
  const CommandLine line = ParseCommandLine(args, "sup to-vobsub");
  const std::string file = line.OneOperand("FILE");
  const std::string out = IdxOutput(line, line.Required("-o", "-o OUT.idx"));
  VobSubTrack track;
  if (const auto language = line.Value("--language")) {
    if (language->size() != 2 || !std::all_of(language->begin(), language->end(), [](char c) { return c >= 'a' && c <= 'z'; })) {
      line.Fail("--language: '" + *language + "' is not two lower-case letters");
    }
    track.language = *language;
  }
  FrameSize size{track.width, track.height};
  if (!ChosenPalette(line, track.palette, &size)) return kExitFailed;
  track.width = size.width;
  track.height = size.height;
  SupTabValues tab;
  CFileSUP sup(tab);
  if (sup.Load(file, Holding::kFile) < 0) return kExitFailed;
  std::vector<VobSubUnit> units;
  for (int i = 0; i < sup.PacketCount(); ++i) {
    const ByteView unit = sup.SubtitleUnit(i);
    units.push_back({sup.SubtitleTime(i), {unit.begin(), unit.end()}, IsForcedUnit(unit)});
  }
  if (!WriteVobSub(out, track, units)) return kExitFailed;
  std::printf("subtitles: %zu\n", units.size());
  return kExitOk;
}

// The stream --stream names, or the first with subtitles (else the first); nullptr, logged,
// when there is none.
const VobSubStream* ChosenStream(const CommandLine& line, const VobSubFile& vobsub) {
  const auto text = line.Value("--stream");
  const VobSubStream* stream = nullptr;
  if (text) {
    stream = vobsub.Stream(ParseInt(*text, 0, 31, "--stream"));
  } else {
    for (const VobSubStream& s : vobsub.Streams()) {
      if (stream == nullptr || (stream->units.empty() && !s.units.empty())) stream = &s;
    }
  }
  if (stream == nullptr) {
    LogMessage(kLogError, "ERROR - No stream %s in [%s]", text.value_or("with subtitles").c_str(),
               vobsub.IdxPath().c_str());
  }
  return stream;
}

int ToSup(const Args& args) {
  const CommandLine line = ParseCommandLine(args, "vobsub to-sup");
  const std::string file = IdxOperand(line);
  const std::string out = line.Required("-o", "-o OUT.sup");
  VobSubFile vobsub;
  if (!vobsub.Load(file)) return kExitFailed;
  const VobSubStream* stream = ChosenStream(line, vobsub);
  if (stream == nullptr) return kExitFailed;
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < stream->units.size(); ++i) {
    const VobSubUnit& unit = stream->units[i];
    if (unit.time > kMaxSupTime) {
      LogMessage(kLogError, "ERROR - Stream %d subtitle %zu: time %lld does not fit in a SUP packet [%s]",
                 stream->index, i + 1, static_cast<long long>(unit.time), file.c_str());
      return kExitFailed;
    }
    AppendSupPacket(bytes, static_cast<std::uint32_t>(unit.time), unit.bytes);
  }
  const SaveTarget target(out, false);
  if (SaveFileAtomically(target.Path(), bytes) != SaveResult::kOk) {
    LogMessage(kLogError, "ERROR - Can't write to file [%s]", out.c_str());
    return kExitFailed;
  }
  LogMessage(kLogInfo, "Data written to SUP file [%s]", out.c_str());
  std::fprintf(out == "-" ? stderr : stdout, "subtitles: %zu\n", stream->units.size());
  return target.Finish() ? kExitOk : kExitFailed;
}

int Show(const Args& args) {
  const CommandLine line = ParseCommandLine(args, "vobsub show");
  const std::string file = IdxOperand(line);
  VobSubFile vobsub;
  if (!vobsub.Load(file)) return kExitFailed;
  const auto forced = [](const VobSubStream& s) {
    return std::count_if(s.units.begin(), s.units.end(), [](const VobSubUnit& u) { return u.forced; });
  };
  if (line.Has("--json")) {
    Json streams = Json::array();
    for (const VobSubStream& s : vobsub.Streams()) {
      streams.push_back(Json{{"index", s.index}, {"language", s.language}, {"subtitles", s.units.size()},
                             {"forced", forced(s)}});
    }
    const Json size = vobsub.Width() > 0 ? Json{vobsub.Width(), vobsub.Height()} : Json(nullptr);
    const Json custom = vobsub.CustomColours().empty() ? Json(nullptr) : Json(vobsub.CustomColours());
    std::puts(JsonText(Json{{"file", file}, {"streams", streams}, {"size", size},
                            {"palette", vobsub.PaletteRgb()}, {"custom_colors", custom}}).c_str());
    return kExitOk;
  }
  std::string text;
  for (const VobSubStream& s : vobsub.Streams()) {
    text += FormatText("stream %d: language %s subtitles %zu forced %lld\n", s.index, OneLine(s.language).c_str(),
                       s.units.size(), static_cast<long long>(forced(s)));
  }
  if (vobsub.Width() > 0) text += FormatText("size: %dx%d\n", vobsub.Width(), vobsub.Height());
  if (!vobsub.PaletteRgb().empty()) {
    text += "palette:";
    for (const std::string& rgb : vobsub.PaletteRgb()) text += " " + rgb;
    text += "\n";
  }
  if (!vobsub.CustomColours().empty()) text += "custom colors: " + OneLine(vobsub.CustomColours()) + "\n";
  std::fputs(text.c_str(), stdout);
  return kExitOk;
}

int Set(const Args& args) {
  const CommandLine line = ParseCommandLine(args, "vobsub set");
  const std::string file = IdxOperand(line);
  const std::string out = IdxOutput(line, line.Required("-o", "-o OUT.idx"));
  std::optional<std::vector<std::string>> palette;
  if (const auto text = line.Value("--palette")) palette = ParsePaletteOption(*text);
  const auto entries = ParseEntryOptions(line);
  const auto paletteFile = line.Value("--palette-file");
  if (palette && paletteFile) line.Fail("--palette cannot be mixed with --palette-file");
  if (!palette && !paletteFile && entries.empty()) line.Fail("give --palette, --palette-file or --entry");
  const bool dryRun = line.Has("--dry-run");
  if (paletteFile) {
    const auto read = LoadPaletteFile(*paletteFile);
    if (!read) return kExitFailed;
    palette.emplace(read->begin(), read->end());
  }
  VobSubFile vobsub;
  if (!vobsub.Load(file)) return kExitFailed;
  if (!palette && !vobsub.Palette()) {
    LogMessage(kLogError, "ERROR - No palette: line whose entries --entry could change [%s]", file.c_str());
    return kExitFailed;
  }
  PaletteTexts texts = vobsub.Palette().value_or(PaletteTexts{});
  if (palette) std::copy(palette->begin(), palette->end(), texts.begin());
  for (const auto& [index, hex] : entries) texts[static_cast<std::size_t>(index)] = hex;
  const std::string text = vobsub.TextWithPalette(texts);
  if (dryRun) {
    const std::string& before = vobsub.IdxText();
    const PaletteTexts old = vobsub.Palette().value_or(PaletteTexts{});
    std::uint64_t changed = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) changed += old[i] != texts[i] ? 1 : 0;
    PrintDryRun(file, "entries", changed, ChangedBytes({before.begin(), before.end()}, {text.begin(), text.end()}));
    return kExitOk;
  }
  if (!SavePair(out, text, vobsub)) return kExitFailed;
  LogMessage(kLogInfo, "Palette written to VobSub index [%s]", out.c_str());
  return kExitOk;
}

int Remap(const Args& args) {
  const CommandLine line = ParseCommandLine(args, "vobsub remap");
  const std::string file = IdxOperand(line);
  const EntryMap map = EntryMapOptions(line);
  const auto out = line.Value("-o");
  if (out) IdxOutput(line, *out);
  const auto streamText = line.Value("--stream");
  const int stream = streamText ? ParseInt(*streamText, 0, 31, "--stream") : -1;
  const bool dryRun = line.Has("--dry-run");
  VobSubFile vobsub;
  if (!vobsub.Load(file)) return kExitFailed;
  if (stream >= 0 && vobsub.Stream(stream) == nullptr) {
    LogMessage(kLogError, "ERROR - No stream %d in [%s]", stream, file.c_str());
    return kExitFailed;
  }
  // The units are changed in their packs by the remap of VOB files: a .sub is made of the same
  // packs. Signals are held so that an in-place write ends whole or is put back.
  HeldSignals held;
  VobRemap remap(map, stream);
  remap.SetScanLineLevel(kLogDetail);  // the .sub's packs, not a disc the user asked to scan
  const std::string sub = vobsub.SubPath();
  const std::string outSub = out ? VobSubSubPath(*out) : sub;
  bool done = false;
  if (dryRun || outSub == sub) {
    done = remap.Plan({sub}) && (dryRun || remap.WriteInPlace());
    if (done && !dryRun && out && *out != file) done = SavePair(*out, vobsub.IdxText(), vobsub);
  } else {
    // The .idx is written beside OUT first and put in place only once the .sub copy is.
    AtomicFile idx(*out);
    const std::string& text = vobsub.IdxText();
    if (!idx.Create() || !idx.Write(ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()))) {
      LogMessage(kLogError, "ERROR - Can't write to file [%s]", out->c_str());
      return kExitFailed;
    }
    done = remap.PlanAndWriteCopy(sub, outSub);
    if (done && !idx.Commit()) {
      LogMessage(kLogError, "ERROR - Can't write to file [%s]", out->c_str());
      done = false;
    }
  }
  if (HeldSignals::Received() != 0) return HeldSignals::ExitStatus();
  if (!done) return kExitFailed;
  for (const VobFilePlan& plan : remap.Plans()) {
    if (dryRun) {
      PrintDryRun(file, "remapped", static_cast<std::uint64_t>(plan.remapped), plan.patches.size());
    } else {
      std::printf("file: %s\nremapped: %d\n", OneLine(out.value_or(file)).c_str(), plan.remapped);
    }
  }
  return kExitOk;
}

}  // namespace

int RunSupToVobSub(const Args& args) { return SupToVobSub(args); }

int RunVobSubCommand(const Args& args) {
  if (args.empty()) throw UsageError("vobsub: a subcommand is missing (show, set, remap or to-sup)");
  const Args rest(args.begin() + 1, args.end());
  if (args[0] == "show") return Show(rest);
  if (args[0] == "set") return Set(rest);
  if (args[0] == "remap") return Remap(rest);
  if (args[0] == "to-sup") return ToSup(rest);
  throw UsageError("vobsub: unknown subcommand '" + args[0] + "'");
}
