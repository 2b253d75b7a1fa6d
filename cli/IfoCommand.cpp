// velmoran-cli ifo: shows and sets the palette of a title set's IFO file.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/Commands.h"
#include "cli/HexArgument.h"
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

int Show(const Args& args) {
  const CommandLine line = ParseCommandLine(args, {{"--json"}, {"--format", true}}, "ifo show");
  const std::string file = line.OneOperand("FILE");
  const bool json = line.Has("--json");
  std::optional<PaletteFormat> format;
  if (const auto word = line.Value("--format")) {
    format = PaletteFormatOfWord(*word);
    if (!format) line.Fail("--format: '" + *word + "' is not yuv, rgb or idx");
    if (json) line.Fail("--format cannot be mixed with --json");
  }

  IfoTabValues tab;
  CFileIFO ifo(tab);
  if (ifo.Load(file) == -1) return kExitFailed;
  const std::vector<std::string> palette = FilePalette(ifo);
  if (format) {
    PaletteTexts texts;
    std::copy(palette.begin(), palette.end(), texts.begin());
    std::fputs(FormatPaletteFile(texts, *format).c_str(), stdout);
  } else if (json) {
    std::string out = "{\"file\": " + JsonString(file) + ", \"palette\": [";
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
                       {{"-o", true}, {"--palette", true}, {"--palette-file", true}, {"--entry", true, true}},
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
  if (paletteFile) {
    const std::optional<PaletteTexts> read = LoadPaletteFile(*paletteFile);
    if (!read) return kExitFailed;
    palette.emplace(read->begin(), read->end());
  }

  IfoTabValues tab;
  CFileIFO ifo(tab);
  if (ifo.Load(file) == -1) return kExitFailed;
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
