// SPDX-License-Identifier: GPL-3.0-or-later
// The VOB tab's stream view: per subpicture stream of the last scan, its language (from the
// title set's IFO file when there is one), its subtitles, the units dropped, and the palette
// entries each slot used with their intensities.
#pragma once

#include <QDialog>
#include <array>
#include <string>
#include <vector>

#include "files/Filevob.h"
#include "files/IfoChains.h"

class QLabel;
class QTableWidget;

using StreamLanguages = std::array<std::string, kSubpictureSlots>;

class VobStreamsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit VobStreamsDialog(QWidget* parent);

  // One row per stream with subtitles or dropped units, in stream order; one row per unit
  // dropped.
  void ShowStreams(const std::array<VobStreamUsage, kSubpictureStreams>& streams,
                   const StreamLanguages& languages, const std::vector<VobLostUnit>& lost);

  // Columns: Stream, Language, Subtitles, Dropped, then Background, Outline, Text and
  // Antialias, each "entry=intensity" for every entry the slot used.
  QTableWidget* Table = nullptr;
  QLabel* Summary = nullptr;  // subtitles and dropped units of every stream
  // The units dropped: File, Stream, Offset (of the pack, hex), Why.
  QTableWidget* Dropped = nullptr;
};

// The entries slot `slot` used in `usage`, each "entry=intensity", separated by blanks.
QString UsedEntriesText(const VobUsage& usage, int slot);
