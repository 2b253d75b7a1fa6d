// velmoran-cli ifo: shows and sets the palette of a title set's IFO file.
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
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

std::string JsonPalette(const PaletteTexts& palette) {
  std::string out = "[";
  for (std::size_t i = 0; i < palette.size(); ++i) out += (i ? ", \"" : "\"") + palette[i] + "\"";
  return out + "]";
}

// Every chain of one file: text lines "name: hex ..." or its JSON object.
std::string AllChains(const std::string& file, const CFileIFO& ifo, bool json) {
  std::string out;
  if (json) out = "{\"file\": " + JsonString(file) + ", \"pgcs\": [";
  for (std::size_t c = 0; c < ifo.Chains().size(); ++c) {
    const ProgramChain& chain = ifo.Chains()[c];
    const PaletteTexts palette = ChainPalette(ifo, c);
    if (json) {
      static const char* const kDomains[] = {"title", "menu", "first-play"};
      out += std::string(c ? ", " : "") + "{\"domain\": \"" + kDomains[static_cast<int>(chain.domain)] +
             "\", \"lu\": " + (chain.languageUnit ? std::to_string(chain.languageUnit) : "null") +
             ", \"pgc\": " + (chain.number ? std::to_string(chain.number) : "null") +
             ", \"palette\": " + JsonPalette(palette) + "}";
    } else {
      out += ProgramChainName(chain) + ":";
      for (const std::string& hex : palette) out += " " + hex;
      out += "\n";
    }
  }
  if (json) out += "]}";
  return out;
}

int Show(const Args& args) {
  const CommandLine line = ParseCommandLine(
      args, {{"--json"}, {"--all"}, {"--pgc", true}, {"--format", true}}, "ifo show");
  const std::string operand = line.OneOperand("FILE");
  const bool json = line.Has("--json");
  const bool folder = IsFolder(operand);
  bool all = line.Has("--all") || folder;
  std::optional<int> pgc;
  if (const auto value = line.Value("--pgc")) pgc = ParseInt(*value, 1, 65535, "--pgc");
  if (pgc && all) line.Fail("--pgc cannot be used with --all or a folder");
  std::optional<PaletteFormat> format;
  if (const auto word = line.Value("--format")) {
    format = PaletteFormatOfWord(*word);
    if (!format) line.Fail("--format: '" + *word + "' is not yuv, rgb or idx");
    if (json) line.Fail("--format cannot be mixed with --json");
    if (all) line.Fail("--format cannot be used with --all or a folder");
  }

  IfoTabValues tab;
  CFileIFO ifo(tab);
  ifo.SetReadBackupTwin(true);  // shown with a warning when only the twin can be read
  if (folder) {
    const std::vector<std::string> files = FolderFiles(operand, ".IFO");
    if (files.empty()) {
      LogMessage(kLogError, "ERROR - No IFO files in folder [%s]", operand.c_str());
      return kExitFailed;
    }
    // Every file is loaded before anything is printed: a damaged one fails the whole command.
    std::string out = json ? "{\"files\": [" : "";
    for (std::size_t f = 0; f < files.size(); ++f) {
      if (ifo.Load(files[f], IfoAccept::kTitleSetOrManager) == -1) return kExitFailed;
      if (json) {
        out += (f ? ", " : "") + AllChains(files[f], ifo, true);
      } else {
        out += "file: " + files[f] + "\n" + AllChains(files[f], ifo, false);
      }
    }
    if (json) out += "]}\n";
    std::fputs(out.c_str(), stdout);
    return kExitOk;
  }
  if (ifo.Load(operand, IfoAccept::kTitleSetOrManager) == -1) return kExitFailed;
  if (!all && ifo.Kind() == IfoKind::kVideoManager) {
    LogMessage(kLogWarning, "WARNING - The file holds menus only [%s]", operand.c_str());
    all = !pgc && !format;
  }
  if (all) {
    std::fputs((AllChains(operand, ifo, json) + (json ? "\n" : "")).c_str(), stdout);
    return kExitOk;
  }
  if (pgc && !ifo.SelectTitleChain(*pgc)) {
    LogMessage(kLogError, "ERROR - No title program chain %d in [%s]", *pgc, operand.c_str());
    return kExitFailed;
  }
  const std::vector<std::string> palette = FilePalette(ifo);
  if (format) {
    PaletteTexts texts;
    std::copy(palette.begin(), palette.end(), texts.begin());
    std::fputs(FormatPaletteFile(texts, *format).c_str(), stdout);
  } else if (json) {
    std::string out = "{\"file\": " + JsonString(operand) + ", \"palette\": [";
    for (std::size_t i = 0; i < palette.size(); ++i) {
      out += (i ? ", \"" : "\"") + palette[i] + "\"";
    }
    out += "]}\n";
    std::fputs(out.c_str(), stdout);
  } else {
    for (std::size_t i = 0; i < palette.size(); ++i) {
      std::printf("%02zu %s\n", i, palette[i].c_str());
    }
  }
  return kExitOk;
}

int Set(const Args& args) {
  const CommandLine line =
      ParseCommandLine(args,
                       {{"-o", true}, {"--palette", true}, {"--palette-file", true},
                        {"--entry", true, true}, {"--pgc", true}, {"--no-bup"}},
                       "ifo set");
  const std::string file = line.OneOperand("FILE");
  const std::string out = line.Required("-o", "-o OUT");
  std::optional<std::vector<std::string>> palette;
  if (const auto text = line.Value("--palette")) {
    const std::vector<std::string> items = SplitCommas(*text);
    if (items.size() != kEntries) {
      throw UsageError("--palette: expected 16 comma-separated hex texts, got " +
                       std::to_string(items.size()));
    }
    palette.emplace();
    for (const std::string& item : items) palette->push_back(ParseHexArgument(item, "--palette"));
  }
  std::vector<std::pair<int, std::string>> entries;
  for (const std::string& value : line.Values("--entry")) {
    const std::size_t equals = value.find('=');
    if (equals == std::string::npos) throw UsageError("--entry: '" + value + "' is not I=HEX");
    const int index = ParseInt(value.substr(0, equals), 0, kEntries - 1, "--entry");
    entries.emplace_back(index, ParseHexArgument(value.substr(equals + 1), "--entry"));
  }
  const std::optional<std::string> paletteFile = line.Value("--palette-file");
  if (palette && paletteFile) line.Fail("--palette cannot be mixed with --palette-file");
  if (!palette && !paletteFile && entries.empty()) line.Fail("give --palette, --palette-file or --entry");
  const std::optional<std::string> pgcText = line.Value("--pgc");
  const bool everyChain = pgcText == "all";
  std::optional<int> pgc;
  if (pgcText && !everyChain) pgc = ParseInt(*pgcText, 1, 65535, "--pgc");
  if (paletteFile) {
    const std::optional<PaletteTexts> read = LoadPaletteFile(*paletteFile);
    if (!read) return kExitFailed;
    palette.emplace(read->begin(), read->end());
  }

  IfoTabValues tab;
  CFileIFO ifo(tab);
  ifo.SetKeepBackupTwin(!line.Has("--no-bup"));
  if (ifo.Load(file, everyChain ? IfoAccept::kTitleSetOrManager : IfoAccept::kTitleSet) == -1) {
    return kExitFailed;
  }
  const auto edit = [&](PaletteTexts& texts) {
    if (palette) std::copy(palette->begin(), palette->end(), texts.begin());
    for (const auto& [index, hex] : entries) texts[static_cast<std::size_t>(index)] = hex;
  };
  if (everyChain) {
    // Each chain from its own palette.
    std::vector<std::pair<std::size_t, PaletteTexts>> palettes;
    for (std::size_t c = 0; c < ifo.Chains().size(); ++c) {
      palettes.emplace_back(c, ChainPalette(ifo, c));
      edit(palettes.back().second);
    }
    return ifo.SaveChains(out, palettes) ? kExitOk : kExitFailed;
  }
  if (pgc && !ifo.SelectTitleChain(*pgc)) {
    LogMessage(kLogError, "ERROR - No title program chain %d in [%s]", *pgc, file.c_str());
    return kExitFailed;
  }
  const std::vector<std::string> current = FilePalette(ifo);
  for (int i = 0; i < kEntries; ++i) tab.hex[i] = current[i];
  if (palette) {
    for (int i = 0; i < kEntries; ++i) tab.hex[i] = (*palette)[i];
  }
  for (const auto& [index, hex] : entries) tab.hex[index] = hex;
  return ifo.Save(out) ? kExitOk : kExitFailed;
}

}  // namespace

int RunIfoCommand(const Args& args) {
  if (args.empty()) throw UsageError("ifo: 'show' or 'set' is missing");
  const Args rest(args.begin() + 1, args.end());
  if (args[0] == "show") return Show(rest);
  if (args[0] == "set") return Set(rest);
  throw UsageError("ifo: unknown command '" + args[0] + "'");
}
