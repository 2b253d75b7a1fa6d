// SPDX-License-Identifier: GPL-3.0-or-later
// The Subtitles tab: the subtitles of the open SUP file or of a scanned VOB stream, each picture
// before and after the mapping.
#pragma once

#include <QAbstractTableModel>
#include <QImage>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Dialogs.h"
#include "core/Colour.h"
#include "core/EntryRemap.h"
#include "files/SubtitlePicture.h"
#include "files/SubtitleSource.h"

class CFileSUP;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QTabWidget;
class QTableView;
class SupTab;

// The rows of the subtitle list: number, start, duration, forced, the unit's own mapping. A row's
// unit is read and its commands walked when the view first asks for it; no picture is decoded.
class SubtitleListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit SubtitleListModel(const SubtitleSource& source) : source_(&source) {}
  // The source was loaded again, or another one is listed: every row is read afresh.
  void Reload(const SubtitleSource& source);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  const SubtitleRow& RowAt(int row) const;

  const SubtitleSource* source_;
  mutable std::vector<std::optional<SubtitleRow>> rows_;
};

// The pictures follow the SUP tab's lists (the "after" picture is the unit as Save would write
// it), the palette, the background and the zoom at once; while the tab is hidden the redraw
// waits until it is shown. A VOB stream's "before" picture is the unit as it stands and its
// "after" the unit through the entry map, when one is set (else the same picture).
class SubtitlePage : public QWidget {
  Q_OBJECT

 public:
  enum Background { kCheckerboard, kBlack, kGrey, kColour };
  static constexpr int kFit = 0;  // ZoomList item 0; items 1-4 are 1x-4x

  // The page is the tab "Subtitles" of `tabs`; the documents are read when drawing.
  SubtitlePage(QTabWidget* tabs, const CFileSUP& sup, const VobSubtitleIndex& vobSubtitles,
               const SupTab& mapping, const std::array<TColor, 16>& palette, Dialogs& dialogs);
  ~SubtitlePage() override;

  // The SUP document was loaded or saved: while the SUP file is listed, its rows are read again
  // and the chosen row kept (the nearest one left).
  void ShowSubtitles();
  // A VOB scan ended: the source list offers each stream it found. A stream that was listed is
  // listed afresh when the scan found it again, else the SUP file is.
  void ShowVobStreams();
  // Lists the SUP file (0) or the VOB stream of the source list's item `item`.
  void ChooseSource(int item);
  // The VOB stream listed, -1 for the SUP file.
  int ListedStream() const;
  // The entry map a VOB stream's "after" picture shows, or none (the picture as it stands).
  void SetEntryMap(const std::optional<EntryMap>& map);
  // The mapping or the palette changed: the pictures are drawn again.
  void ShowPictures();
  // The chosen subtitle (from 0), -1 when none; choosing selects its row.
  int Current() const;
  void SelectSubtitle(int index);
  void Next();
  void Previous();
  // Asks for a file name and writes the "after" picture as shown; false when not written.
  bool ExportPicture();
  // The pictures as shown (background, contrast and zoom applied); null without a subtitle.
  const QImage& BeforeImage() const { return before_; }
  const QImage& AfterImage() const { return after_; }

  QTableView* SubtitleList = nullptr;
  QLabel* BeforeView = nullptr;
  QLabel* AfterView = nullptr;
  QComboBox* BackgroundList = nullptr;  // Checkerboard, Black, Grey, Colour...
  QComboBox* ZoomList = nullptr;        // Fit, 1x, 2x, 3x, 4x
  QComboBox* SourceList = nullptr;      // "SUP file", then "VOB stream N" per stream scanned
  QPushButton* PreviousButton = nullptr;
  QPushButton* NextButton = nullptr;
  QPushButton* ExportButton = nullptr;
  FileDialog ExportDialog = MakeFileDialog(FileDialogKind::kSave, "PNG files (*.png)|*.png", "png");

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // N: the next subtitle, P: the previous one; false for any other key.
  bool StepKey(int key);
  void BackgroundChange();
  // One picture over the background at the zoom, or a null image with the reason in `why`.
  QImage Compose(ByteView unit, QString& why) const;
  // The source list's items for the SUP file and the streams of the index, `stream` chosen
  // (the SUP file when it is not there).
  void FillSourceList(int stream);
  const SubtitleSource& Source() const;
  // The list read afresh from the source, the row `kept` (or the nearest) chosen.
  void Relist(int kept);
  void ShowTitles();
  // A copy of the unit through the entry map.
  std::vector<std::uint8_t> EntryRemapped(ByteView unit) const;
  void Show(QLabel* view, QScrollArea* area, const QImage& image, const QString& why);

  SupSubtitles supSubtitles_;
  const VobSubtitleIndex& vobSubtitles_;
  std::unique_ptr<VobStreamSubtitles> stream_;  // the VOB stream listed, if any
  std::optional<EntryMap> entryMap_;
  std::vector<std::uint8_t> unitBuffer_;        // the shown unit, when read from a VOB file
  const SupTab& mapping_;
  const std::array<TColor, 16>& palette_;
  Dialogs& dialogs_;
  SubtitleListModel model_;
  QScrollArea* beforeArea_ = nullptr;
  QScrollArea* afterArea_ = nullptr;
  QLabel* beforeTitle_ = nullptr;
  QLabel* afterTitle_ = nullptr;
  TColor chosenColour_ = 0x808000;  // the background "Colour..." shows until one is picked
  bool stale_ = false;              // a redraw waits for the page to be shown
  QImage before_;
  QImage after_;
};
