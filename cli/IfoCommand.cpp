// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli ifo: shows and sets the palette of a title set's IFO file.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/Commands.h"
#include "cli/HexArgument.h"
#include "core/Log.h"
#include "core/Platform.h"
#include "files/DiscLayout.h"
#include "files/Fileifo.h"
#include "files/PaletteFile.h"
#include "files/Tabs.h"

namespace {

constexpr int kEntries = 16;

// The palette of the loaded file as hex texts.
std::vector<std::string> FilePalette(const CFileIFO& ifo) {
  std::vector<std::string> palette;
  for (int i = 0; i < kEntries; ++i) {
    int y = 0, cr = 0, cb = 0;
    if (ifo.GetPaletteEntry(i, y, cr, cb)) palette.push_back(FormatHexText(y, cr, cb));
  }
  return palette;
}

// The hex texts of chain `chain` of the loaded file.
PaletteTexts ChainPalette(const CFileIFO& ifo, std::size_t chain) {
  PaletteTexts texts;
  for (int i = 0; i < kEntries; ++i) {
    int y = 0, cr = 0, cb = 0;
    if (ifo.GetChainEntry(chain, i, y, cr, cb)) texts[static_cast<std::size_t>(i)] = FormatHexText(y, cr, cb);
  }
  return texts;
}

// Every chain of one file: text lines "name: hex ..." or its JSON object.
std::string AllChainsText(const CFileIFO& ifo) {
  std::string out;
  for (std::size_t c = 0; c < ifo.Chains().size(); ++c) {
    out += ProgramChainName(ifo.Chains()[c]) + ":";
    for (const std::string& hex : ChainPalette(ifo, c)) out += " " + hex;
    out += "\n";
  }
  return out;
}

Json AllChainsJson(const std::string& file, const CFileIFO& ifo) {
  static const char* const kDomains[] = {"title", "menu", "first-play"};
  const auto numberOrNull = [](int number) { return number != 0 ? Json(number) : Json(nullptr); };
  Json chains = Json::array();
  for (std::size_t c = 0; c < ifo.Chains().size(); ++c) {
    const ProgramChain& chain = ifo.Chains()[c];
    chains.push_back(Json{{"domain", kDomains[static_cast<int>(chain.domain)]},
                          {"lu", numberOrNull(chain.languageUnit)},
                          {"pgc", numberOrNull(chain.number)},
                          {"palette", ChainPalette(ifo, c)}});
  }
  return Json{{"file", file}, {"pgcs", chains}};
}

// What `ifo show` was asked for.
struct ShowRequest {
  std::string operand;
  bool json = false;
  bool folder = false;     // the operand is a folder: every IFO file in it
  bool all = false;        // every chain (given, or implied by a folder)
  std::optional<int> pgc;  // a title chain instead of the first
  std::optional<PaletteFormat> format;
};

ShowRequest ParseShow(const Args& args) {
  const CommandLine line = ParseCommandLine(args, "ifo show");
  ShowRequest request;
  request.operand = line.OneOperand("FILE");
  request.json = line.Has("--json");
  request.folder = IsFolder(request.operand);
  request.all = line.Has("--all") || request.folder;
  if (const auto value = line.Value("--pgc")) request.pgc = ParseInt(*value, 1, 65535, "--pgc");
  if (request.pgc && request.all) line.Fail("--pgc cannot be used with --all or a folder");
  if (const auto word = line.Value("--format")) {
    request.format = PaletteFormatOfWord(*word);
    if (!request.format) line.Fail("--format: '" + *word + "' is not yuv, rgb or idx");
    if (request.json) line.Fail("--format cannot be mixed with --json");
    if (request.all) line.Fail("--format cannot be used with --all or a folder");
  }
  return request;
}

// Every IFO file of a folder, each with every chain. Every file is loaded before anything is
// printed: a damaged one fails the whole command.
int ShowFolder(const ShowRequest& request) {
  const std::vector<std::string> files = FolderFiles(request.operand, ".IFO");
  if (files.empty()) {
    LogMessage(kLogError, "ERROR - No IFO files in folder [%s]", request.operand.c_str());
    return kExitFailed;
  }
  IfoTabValues tab;
  CFileIFO ifo(tab);
  ifo.SetReadBackupTwin(true);  // shown with a warning when only the twin can be read
  std::string text;
  Json list = Json::array();
  for (const std::string& file : files) {
    if (ifo.Load(file, IfoAccept::kTitleSetOrManager) == -1) return kExitFailed;
    if (request.json) {
      list.push_back(AllChainsJson(file, ifo));
    } else {
      text += "file: " + OneLine(file) + "\n" + AllChainsText(ifo);
    }
  }
  if (request.json) text = JsonText(Json{{"files", list}}) + "\n";
  std::fputs(text.c_str(), stdout);
  return kExitOk;
}

// One file: every chain, or the palette of one title chain as text, JSON or a palette file.
int ShowFile(const ShowRequest& request) {
  const std::string& file = request.operand;
  IfoTabValues tab;
  CFileIFO ifo(tab);
  ifo.SetReadBackupTwin(true);  // shown with a warning when only the twin can be read
  if (ifo.Load(file, IfoAccept::kTitleSetOrManager) == -1) return kExitFailed;
  bool all = request.all;
  if (!all && ifo.Kind() == IfoKind::kVideoManager) {
    LogMessage(kLogWarning, "WARNING - The file holds menus only [%s]", file.c_str());
    all = !request.pgc && !request.format;
  }
  if (all) {
    const std::string text =
        request.json ? JsonText(AllChainsJson(file, ifo)) + "\n" : AllChainsText(ifo);
    std::fputs(text.c_str(), stdout);
    return kExitOk;
  }
  if (request.pgc && !ifo.SelectTitleChain(*request.pgc)) {
    LogMessage(kLogError, "ERROR - No title program chain %d in [%s]", *request.pgc, file.c_str());
    return kExitFailed;
  }
  const std::vector<std::string> palette = FilePalette(ifo);
  if (request.format) {
    PaletteTexts texts;
    std::copy(palette.begin(), palette.end(), texts.begin());
    std::fputs(FormatPaletteFile(texts, *request.format).c_str(), stdout);
  } else if (request.json) {
    std::fputs((JsonText(Json{{"file", file}, {"palette", palette}}) + "\n").c_str(), stdout);
  } else {
    for (std::size_t i = 0; i < palette.size(); ++i)
      std::printf("%02zu %s\n", i, palette[i].c_str());
  }
  return kExitOk;
}

int Show(const Args& args) {
  const ShowRequest request = ParseShow(args);
  return request.folder ? ShowFolder(request) : ShowFile(request);
}

// What `ifo set` was asked for.
struct SetRequest {
  std::string file;
  std::string out;
  std::optional<std::vector<std::string>> palette;   // all sixteen, from --palette or a file
  std::vector<std::pair<int, std::string>> entries;  // --entry, in the order given
  bool everyChain = false;                           // --pgc all
  std::optional<int> pgc;                            // --pgc N
  bool keepBackupTwin = true;
  bool dryRun = false;
};

// The options checked in the order the command has always checked them; false (logged) when
// the palette file cannot be read.
bool ParseSet(const Args& args, SetRequest& request) {
  const CommandLine line = ParseCommandLine(args, "ifo set");
  request.file = line.OneOperand("FILE");
  if (IsFolder(request.file)) {
    line.Fail("'" + request.file + "' is a folder; give one IFO file (ifo show takes folders)");
  }
  request.out = line.Required("-o", "-o OUT");
  request.dryRun = line.Has("--dry-run");
  if (const auto text = line.Value("--palette")) request.palette = ParsePaletteOption(*text);
  request.entries = ParseEntryOptions(line);
  const std::optional<std::string> paletteFile = line.Value("--palette-file");
  if (request.palette && paletteFile) line.Fail("--palette cannot be mixed with --palette-file");
  if (!request.palette && !paletteFile && request.entries.empty()) {
    line.Fail("give --palette, --palette-file or --entry");
  }
  const std::optional<std::string> pgcText = line.Value("--pgc");
  request.everyChain = pgcText == "all";
  if (pgcText && !request.everyChain) request.pgc = ParseInt(*pgcText, 1, 65535, "--pgc");
  request.keepBackupTwin = !line.Has("--no-bup");
  if (paletteFile) {
    const std::optional<PaletteTexts> read = LoadPaletteFile(*paletteFile);
    if (!read) return false;
    request.palette.emplace(read->begin(), read->end());
  }
  return true;
}

// The request's palette, then its entries, over `texts`.
void ApplyEdits(const SetRequest& request, PaletteTexts& texts) {
  if (request.palette) std::copy(request.palette->begin(), request.palette->end(), texts.begin());
  for (const auto& [index, hex] : request.entries) texts[static_cast<std::size_t>(index)] = hex;
}

// Whether the hex texts (upper case, as every reader here gives them) name other colours.
bool PaletteChanges(const PaletteTexts& before, const PaletteTexts& after) {
  return before != after;
}

// --pgc all: each chain edited from its own palette. `changed` counts the chains that change.
bool SetEveryChain(const SetRequest& request, CFileIFO& ifo, const std::string& out,
                   int& changed) {
  std::vector<std::pair<std::size_t, PaletteTexts>> palettes;
  for (std::size_t c = 0; c < ifo.Chains().size(); ++c) {
    palettes.emplace_back(c, ChainPalette(ifo, c));
    ApplyEdits(request, palettes.back().second);
    changed += PaletteChanges(ChainPalette(ifo, c), palettes.back().second) ? 1 : 0;
  }
  return ifo.SaveChains(out, palettes);
}

// One title chain, through the tab's hex fields as the window's Save IFO does.
bool SetOneChain(const SetRequest& request, CFileIFO& ifo, IfoTabValues& tab,
                 const std::string& out, int& changed) {
  if (request.pgc && !ifo.SelectTitleChain(*request.pgc)) {
    LogMessage(kLogError, "ERROR - No title program chain %d in [%s]", *request.pgc,
               request.file.c_str());
    return false;
  }
  PaletteTexts texts;
  const std::vector<std::string> current = FilePalette(ifo);
  std::copy(current.begin(), current.end(), texts.begin());
  const PaletteTexts before = texts;
  ApplyEdits(request, texts);
  changed = PaletteChanges(before, texts) ? 1 : 0;
  for (int i = 0; i < kEntries; ++i) tab.hex[i] = texts[static_cast<std::size_t>(i)];
  return ifo.Save(out);
}

int Set(const Args& args) {
  SetRequest request;
  if (!ParseSet(args, request)) return kExitFailed;
  IfoTabValues tab;
  CFileIFO ifo(tab);
  ifo.SetKeepBackupTwin(request.keepBackupTwin && !request.dryRun);
  if (ifo.Load(request.file,
               request.everyChain ? IfoAccept::kTitleSetOrManager : IfoAccept::kTitleSet) == -1) {
    return kExitFailed;
  }
  // "-o -" and a dry run save to a temporary file; a dry run then compares it with the file.
  const SaveTarget target(request.out, request.dryRun);
  const std::vector<std::uint8_t> before =
      request.dryRun ? ifo.Data() : std::vector<std::uint8_t>{};
  int changed = 0;
  const bool saved = request.everyChain
                         ? SetEveryChain(request, ifo, target.Path(), changed)
                         : SetOneChain(request, ifo, tab, target.Path(), changed);
  if (!saved) return kExitFailed;
  if (!request.dryRun) return target.Finish() ? kExitOk : kExitFailed;
  PrintDryRun(request.file, "pgcs", static_cast<std::uint64_t>(changed),
              ChangedBytes(before, target.Saved()));
  return kExitOk;
}

}  // namespace

int RunIfoCommand(const Args& args) {
  if (args.empty()) throw UsageError("ifo: 'show' or 'set' is missing");
  const Args rest(args.begin() + 1, args.end());
  if (args[0] == "show") return Show(rest);
  if (args[0] == "set") return Set(rest);
  throw UsageError("ifo: unknown command '" + args[0] + "'");
}
