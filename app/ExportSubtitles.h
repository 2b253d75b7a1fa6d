// SPDX-License-Identifier: GPL-3.0-or-later
// Saving the subtitles the SUP and VOB tabs hold as a VobSub pair or a SUP file.
#pragma once

#include <QObject>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/Dialogs.h"
#include "files/VobSub.h"

class CFileIFO;
class CFileSUP;
class IfoPage;
class QPushButton;
class QSpinBox;
class SupPage;
class SupTab;
class VobPage;

// What a chosen name asks for, by its ending (any letter case): ".idx" a VobSub pair, ".sup" a
// SUP file; anything else is refused.
enum class SubtitleFormat { kVobSub, kSup, kUnknown };
SubtitleFormat SubtitleFormatOf(const std::string& path);

// The subtitles of the SUP document as its Save writes them, each with its time: the first
// Cmd3 and Cmd4 of every subtitle carry the tab's mapping; every other byte is as loaded.
// nullopt, with Save's error line, when a subtitle lacks either command.
std::optional<std::vector<VobSubUnit>> MappedSupUnits(const CFileSUP& sup);

// The "Save As..." button of the SUP tab and the "Save Subtitles..." button with its stream
// box on the VOB tab. The SUP tab saves its subtitles with the tab's mapping, in the palette
// the IFO tab shows (and the frame size of its title set when an IFO is open). The VOB tab
// takes one stream out of the files in its list, parts continuing, as `vob extract` does: its
// palette, size and language come from the title set's IFO beside the VOBs.
class SubtitleExport : public QObject {
  Q_OBJECT

 public:
  // Runs a file dialog, remembering its folder under `key`; true when a name was confirmed.
  using RunDialog = std::function<bool(FileDialog& dialog, const char* key)>;

  SubtitleExport(SupPage& supPage, const CFileSUP& sup, const IfoPage& ifoPage,
                 const CFileIFO& ifo, VobPage& vobPage, RunDialog runDialog);

  void SaveAsSUPClick();
  void SaveSubtitlesVOBClick();
  // The stream the VOB tab saves: 0-31, or -1 for the first stream with subtitles.
  int ChosenStream() const;

  QPushButton* SaveAsSUP = nullptr;
  QPushButton* SaveSubtitlesVOB = nullptr;
  QSpinBox* StreamVOB = nullptr;
  FileDialog SaveAsDialogSUP = MakeFileDialog(
      FileDialogKind::kSave, "VobSub files (*.idx)|*.idx|SUP files (*.sup)|*.sup", "idx");
  FileDialog SaveDialogVOB = MakeFileDialog(
      FileDialogKind::kSave, "VobSub files (*.idx)|*.idx|SUP files (*.sup)|*.sup", "idx");

 private:
  std::vector<std::string> ListedVobs() const;

  SupPage& supPage_;
  const CFileSUP& sup_;
  const IfoPage& ifoPage_;
  const CFileIFO& ifo_;
  VobPage& vobPage_;
  RunDialog runDialog_;
};
