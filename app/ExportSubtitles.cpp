// SPDX-License-Identifier: GPL-3.0-or-later
// Saving the subtitles the SUP and VOB tabs hold as a VobSub pair or a SUP file.
#include "app/ExportSubtitles.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>

#include "app/IfoPage.h"
#include "app/Look.h"
#include "app/SupPage.h"
#include "app/VobPage.h"
#include "core/Colour.h"
#include "core/Log.h"
#include "files/DiscLayout.h"
#include "files/Fileifo.h"
#include "files/Filesup.h"
#include "files/IfoAttributes.h"
#include "files/SubtitlePicture.h"
#include "files/VobExtract.h"

namespace {

// The SUP tab's button row is full (the mappings sit right of Restore), so Save As... goes in
// the free space under the Intensity box; on the VOB tab it follows Streams... and Recolour....
constexpr QRect kSupButtonBounds(432, 212, kButtonWidth, kButtonHeight);
constexpr QRect kVobButtonBounds(320, kButtonTop, 137, kButtonHeight);  // wider: a longer caption
constexpr QRect kStreamLabelBounds(464, 260, 56, kEditHeight);
constexpr QRect kStreamBoxBounds(526, 260, 73, kEditHeight);

// `path` with its last extension replaced by ".idx" (added when it has none).
std::string IdxNameFor(const std::string& path) {
  const std::string name = FileNameOf(path);
  const std::size_t dot = name.find_last_of('.');
  const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
  return JoinPath(FolderPartOf(path), stem + ".idx");
}

// The name the dialog proposes: `source` renamed to .idx, in the dialog's own folder when it
// has one.
void ProposeName(FileDialog& dialog, const std::string& source) {
  if (!source.empty()) dialog.fileName = ProposedSaveName(IdxNameFor(source), dialog);
}

// The palette the IFO tab's hex fields show. A field without a whole hex text (the fields are
// empty until an IFO is opened or its defaults applied) gives the default palette's entry.
PaletteTexts ShownPalette(const IfoPage& page) {
  PaletteTexts palette;
  for (std::size_t i = 0; i < palette.size(); ++i) {
    const std::string text = page.HexText(static_cast<int>(i));
    const bool whole = text.size() == 6 && std::all_of(text.begin(), text.end(), [](char ch) {
      return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F');  // as the fields write it
    });
    const TColor c = kDefaultPalette[i];
    palette[i] = whole ? text : FormatHexText(ColourToY(c), ColourToCr(c), ColourToCb(c));
  }
  return palette;
}

bool KnownFormat(const std::string& path) {
  if (SubtitleFormatOf(path) != SubtitleFormat::kUnknown) return true;
  LogMessage(kLogError, "ERROR - Subtitles are saved as .idx (VobSub) or .sup [%s]", path.c_str());
  return false;
}

}  // namespace

SubtitleFormat SubtitleFormatOf(const std::string& path) {
  if (HasExtension(path, ".idx")) return SubtitleFormat::kVobSub;
  if (HasExtension(path, ".sup")) return SubtitleFormat::kSup;
  return SubtitleFormat::kUnknown;
}

std::optional<std::vector<VobSubUnit>> MappedSupUnits(const CFileSUP& sup) {
  auto mapped = sup.SlotMappedUnits();  // logs why when a subtitle can't take the mapping
  if (!mapped) return std::nullopt;
  std::vector<VobSubUnit> units;
  units.reserve(mapped->size());
  for (int i = 0; i < sup.PacketCount(); ++i) {
    std::vector<std::uint8_t>& bytes = (*mapped)[static_cast<std::size_t>(i)];
    const bool forced = IsForcedUnit(ByteView(bytes.data(), bytes.size()));
    units.push_back({sup.SubtitleTime(i), std::move(bytes), forced});
  }
  return units;
}

SubtitleExport::SubtitleExport(SupPage& supPage, const CFileSUP& sup, const IfoPage& ifoPage,
                               const CFileIFO& ifo, VobPage& vobPage, RunDialog runDialog)
    : supPage_(supPage),
      sup_(sup),
      ifoPage_(ifoPage),
      ifo_(ifo),
      vobPage_(vobPage),
      runDialog_(std::move(runDialog)) {
  SaveAsSUP = MakeButton(&supPage, "Save As...", kSupButtonBounds.left());
  SaveAsSUP->setGeometry(kSupButtonBounds);
  SaveAsSUP->setObjectName("SaveAsSUP");
  SaveAsSUP->setToolTip("Save the subtitles with this mapping as a VobSub pair (.idx + .sub) or a SUP file");
  SaveSubtitlesVOB = MakeButton(&vobPage, "Save Subtitles...", kVobButtonBounds.left());
  SaveSubtitlesVOB->setGeometry(kVobButtonBounds);
  SaveSubtitlesVOB->setObjectName("SaveSubtitlesVOB");
  SaveSubtitlesVOB->setToolTip("Save one stream of the listed files as a VobSub pair or a SUP file");
  MakeLabel(&vobPage, "Stream", kStreamLabelBounds, Qt::AlignRight | Qt::AlignVCenter);
  StreamVOB = new QSpinBox(&vobPage);
  StreamVOB->setObjectName("StreamVOB");
  StreamVOB->setGeometry(kStreamBoxBounds);
  StreamVOB->setRange(-1, 31);
  StreamVOB->setValue(-1);
  StreamVOB->setSpecialValueText("First");  // -1: the first stream with subtitles
  connect(SaveAsSUP, &QPushButton::clicked, this, [this] { SaveAsSUPClick(); });
  connect(SaveSubtitlesVOB, &QPushButton::clicked, this, [this] { SaveSubtitlesVOBClick(); });
}

int SubtitleExport::ChosenStream() const { return StreamVOB->value(); }

void SubtitleExport::SaveAsSUPClick() {
  if (!sup_.HasData()) {
    LogMessage(kLogError, "ERROR - Can't save no SUP file loaded!!!");
    return;
  }
  ProposeName(SaveAsDialogSUP, supPage_.FileNameSUP->text().toStdString());
  if (!runDialog_(SaveAsDialogSUP, "SaveAsDialogSUP")) return;
  const std::string path = SaveAsDialogSUP.fileName;
  if (!KnownFormat(path)) return;
  const auto units = MappedSupUnits(sup_);
  if (!units) return;
  if (SubtitleFormatOf(path) == SubtitleFormat::kSup) {
    SaveSupUnits(path, *units);  // logs its own success or failure
    return;
  }
  VobSubTrack track;
  track.palette = ShownPalette(ifoPage_);
  if (ifo_.HasData()) {
    if (const auto size = TitleVideoSize(ifo_.Data())) {
      track.width = size->width;
      track.height = size->height;
    }
  }
  WriteVobSub(path, track, *units);  // logs its own success or failure
}

std::vector<std::string> SubtitleExport::ListedVobs() const {
  std::vector<std::string> paths;
  for (int i = 0; i < vobPage_.FileListVOB->count(); ++i) {
    paths.push_back(vobPage_.FileListVOB->item(i)->text().toStdString());
  }
  return paths;
}

void SubtitleExport::SaveSubtitlesVOBClick() {
  const std::vector<std::string> vobs = ListedVobs();
  if (vobs.empty()) {
    LogMessage(kLogError, "ERROR - Can't save subtitles no VOB file scanned!!!");
    return;
  }
  ProposeName(SaveDialogVOB, vobs.front());
  if (!runDialog_(SaveDialogVOB, "SaveDialogVOB")) return;
  const std::string path = SaveDialogVOB.fileName;
  if (!KnownFormat(path)) return;
  VobExtractOptions options;
  options.stream = ChosenStream();
  VobExtraction extraction;
  if (!ExtractVobStream(vobs, options, extraction)) return;  // logged
  if (SubtitleFormatOf(path) == SubtitleFormat::kSup) {
    SaveSupUnits(path, extraction.units);
  } else {
    SaveVobSubExtraction(path, vobs.front(), extraction);
  }
}
