// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli sup pictures and vob pictures: one PNG per subtitle, in a palette from an IFO
// file, a palette file or the IFO tab's default; and the subtitle list of `sup show --json`.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/PngFile.h"
#include "core/FileIO.h"
#include "core/Log.h"
#include "core/Platform.h"
#include "files/DiscLayout.h"
#include "files/Fileifo.h"
#include "files/Filesup.h"
#include "files/Filevob.h"
#include "files/PaletteFile.h"
#include "files/SubtitlePicture.h"

namespace {

using ScreenPalette = std::array<TColor, 16>;

// The palette the options name, as the screen colours of its hex texts.
bool ChosenScreenPalette(const CommandLine& line, ScreenPalette& palette) {
  PaletteTexts texts;
  if (!ChosenPalette(line, texts)) return false;
  for (std::size_t i = 0; i < palette.size(); ++i) {
    const std::string& t = texts[i];
    palette[i] = YCrCbToColour(HexTextY(t), HexTextCr(t), HexTextCb(t));
  }
  return true;
}

bool MakeOutputFolder(const std::string& folder) {
  if (MakeFolders(folder)) return true;
  LogMessage(kLogError, "ERROR - Can't create folder [%s]", folder.c_str());
  return false;
}

// Writes the unit's picture as `name` in `folder`. A unit that can't be decoded is reported and
// skipped (true); false only when the file could not be written.
bool WritePicture(ByteView unit, const ScreenPalette& palette, const std::string& folder,
                  const std::string& name) {
  SubpictureImage image;
  const SubpictureError error = DecodeSubpictureUnit(unit, image);
  if (error != SubpictureError::kNone) {
    LogMessage(kLogWarning, "WARNING - Subtitle %s skipped: %s", name.c_str(), SubpictureErrorText(error));
    return true;
  }
  std::vector<std::uint8_t> rgba;
  ImageToRgba(image, palette, rgba);
  const std::vector<std::uint8_t> png = EncodeRgbaPng(rgba, image.area.width, image.area.height);
  const std::string path = folder + "/" + name + ".png";
  if (SaveFileAtomically(path, png, AtomicFile::Durability::kNoFlush) != SaveResult::kOk) {
    LogMessage(kLogError, "ERROR - Can't write [%s]", path.c_str());
    return false;
  }
  LogMessage(kLogDetail, "Picture written - [%s]", path.c_str());
  return true;
}

std::string Number(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d", n);
  return text;
}

// The pictures of the units the VOB scanner completes, numbered per stream.
class PictureSink : public VobUnitSink {
 public:
  PictureSink(const ScreenPalette& palette, std::string folder, int stream)
      : palette_(palette), folder_(std::move(folder)), stream_(stream) {}
  bool UnitComplete(int stream, ByteView unit, const std::vector<UnitPiece>&) override {
    if ((stream_ >= 0 && stream != stream_) || IsMarkerUnit(unit)) return true;
    char name[32];
    std::snprintf(name, sizeof name, "s%d-%04d", stream, ++counts_[static_cast<std::size_t>(stream)]);
    return WritePicture(unit, palette_, folder_, name);
  }
  bool UnitLost(int, int, std::int64_t, const char*) override { return true; }
  bool StrayPacket(int, std::int64_t) override { return true; }

 private:
  const ScreenPalette& palette_;
  std::string folder_;
  int stream_;
  std::array<int, kSubpictureStreams> counts_{};
};

// The VOB files an operand stands for: a file itself, or the .VOB files of a VIDEO_TS folder
// or of the VIDEO_TS folder of a disc's root (the disc layout finds which).
std::vector<std::string> VobFiles(const std::string& operand) {
  if (!IsFolder(operand)) return {operand};
  return FolderFiles(operand, ".VOB");
}

}  // namespace

int RunSupPictures(const Args& args) {
  const CommandLine line = ParseCommandLine(args, "sup pictures");
  if (line.Operands().size() != 2) line.Fail("give FILE and DIR");
  const std::string& file = line.Operands()[0];
  const std::string& folder = line.Operands()[1];
  ScreenPalette palette{};
  if (!ChosenScreenPalette(line, palette)) return kExitFailed;
  SupTabValues tab;
  CFileSUP sup(tab);
  if (sup.Load(file, Holding::kFile) < 0) return kExitFailed;
  LogMessage(kLogInfo, "SUP file loaded - [%s]", file.c_str());
  if (!MakeOutputFolder(folder)) return kExitFailed;
  for (int i = 0; i < sup.PacketCount(); ++i) {
    if (!WritePicture(sup.SubtitleUnit(i), palette, folder, Number(i + 1))) return kExitFailed;
  }
  return kExitOk;
}

int RunVobPictures(const Args& args) {
  const CommandLine line = ParseCommandLine(args, "vob pictures");
  if (line.Operands().size() < 2) line.Fail("give FILE...|DIR and DIR");
  const auto streamText = line.Value("--stream");
  const int stream = streamText ? ParseInt(*streamText, 0, kSubpictureStreams - 1, "--stream") : -1;
  const std::string& folder = line.Operands().back();
  std::vector<std::string> files;
  for (std::size_t i = 0; i + 1 < line.Operands().size(); ++i) {
    const std::vector<std::string> found = VobFiles(line.Operands()[i]);
    if (found.empty()) {
      LogMessage(kLogError, "ERROR - No VOB files in folder [%s]", line.Operands()[i].c_str());
      return kExitFailed;
    }
    files.insert(files.end(), found.begin(), found.end());
  }
  ScreenPalette palette{};
  if (!ChosenScreenPalette(line, palette)) return kExitFailed;
  if (!MakeOutputFolder(folder)) return kExitFailed;
  PictureSink sink(palette, folder, stream);
  CFileVOB vob;
  vob.SetUnitSink(&sink);
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!vob.Open(files[i])) return kExitFailed;
    // A unit that continues into the next part is completed from it and written once.
    if (i + 1 < files.size() && IsNextVobPart(files[i], files[i + 1])) vob.SetNextPart(files[i + 1]);
    if (vob.Scan(false) < 0) return kExitFailed;
  }
  return kExitOk;
}

Json SupSubtitlesJson(const CFileSUP& sup) {
  Json list = Json::array();
  for (int i = 0; i < sup.PacketCount(); ++i) {
    const SubpictureFacts f = ReadSubpictureFacts(sup.SubtitleUnit(i));
    list.push_back(Json{{"number", i + 1},
                        {"time", sup.SubtitleTime(i)},
                        {"duration", f.duration ? Json(*f.duration) : Json(nullptr)},
                        {"forced", f.forced},
                        {"x", f.area.x},
                        {"y", f.area.y},
                        {"width", f.area.width},
                        {"height", f.area.height}});
  }
  return list;
}
