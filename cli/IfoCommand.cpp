// velmoran-cli ifo: shows and sets the palette of a title set's IFO file.
#include <cctype>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/Commands.h"
#include "cli/HexArgument.h"
#include "files/Fileifo.h"
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
  std::optional<std::string> file;
  bool json = false;
  for (const std::string& a : args) {
    if (a == "--json") {
      json = true;
    } else if (!a.empty() && a[0] == '-') {
      throw UsageError("ifo show: unknown option '" + a + "'");
    } else if (file) {
      throw UsageError("ifo show: only one FILE may be given");
    } else {
      file = a;
    }
  }
  if (!file) throw UsageError("ifo show: FILE is missing");

  IfoTabValues tab;
  CFileIFO ifo(tab);
  if (ifo.Load(*file) == -1) return kExitFailed;
  const std::vector<std::string> palette = FilePalette(ifo);
  if (json) {
    std::string out = "{\"file\": " + JsonString(*file) + ", \"palette\": [";
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
  std::optional<std::string> file, out;
  std::optional<std::vector<std::string>> palette;
  std::vector<std::pair<int, std::string>> entries;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "-o") {
      if (out) throw UsageError("ifo set: -o given twice");
      out = TakeValue(args, i, "-o");
    } else if (a == "--palette") {
      if (palette) throw UsageError("ifo set: --palette given twice");
      const std::vector<std::string> items = SplitCommas(TakeValue(args, i, "--palette"));
      if (items.size() != kEntries) {
        throw UsageError("--palette: expected 16 comma-separated hex texts, got " +
                         std::to_string(items.size()));
      }
      palette.emplace();
      for (const std::string& item : items) palette->push_back(ParseHexArgument(item, "--palette"));
    } else if (a == "--entry") {
      const std::string value = TakeValue(args, i, "--entry");
      const std::size_t equals = value.find('=');
      if (equals == std::string::npos) {
        throw UsageError("--entry: '" + value + "' is not I=HEX");
      }
      const int index = ParseInt(value.substr(0, equals), 0, kEntries - 1, "--entry");
      entries.emplace_back(index, ParseHexArgument(value.substr(equals + 1), "--entry"));
    } else if (!a.empty() && a[0] == '-') {
      throw UsageError("ifo set: unknown option '" + a + "'");
    } else if (file) {
      throw UsageError("ifo set: only one FILE may be given");
    } else {
      file = a;
    }
  }
  if (!file) throw UsageError("ifo set: FILE is missing");
  if (!out) throw UsageError("ifo set: -o OUT is missing");
  if (!palette && entries.empty()) throw UsageError("ifo set: give --palette or --entry");

  IfoTabValues tab;
  CFileIFO ifo(tab);
  if (ifo.Load(*file) == -1) return kExitFailed;
  const std::vector<std::string> current = FilePalette(ifo);
  for (int i = 0; i < kEntries; ++i) tab.hex[i] = current[i];
  if (palette) {
    for (int i = 0; i < kEntries; ++i) tab.hex[i] = (*palette)[i];
  }
  for (const auto& [index, hex] : entries) tab.hex[index] = hex;
  return ifo.Save(*out) ? kExitOk : kExitFailed;
}

}  // namespace

int RunIfoCommand(const Args& args) {
  if (args.empty()) throw UsageError("ifo: 'show' or 'set' is missing");
  const Args rest(args.begin() + 1, args.end());
  if (args[0] == "show") return Show(rest);
  if (args[0] == "set") return Set(rest);
  throw UsageError("ifo: unknown command '" + args[0] + "'");
}
