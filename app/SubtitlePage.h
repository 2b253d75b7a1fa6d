// SPDX-License-Identifier: GPL-3.0-or-later
// The Subtitles tab: the open SUP file's subtitles, each picture before and after the mapping.
#pragma once

#include <QAbstractTableModel>
#include <QImage>
#include <QWidget>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "app/Dialogs.h"
#include "core/Colour.h"
#include "files/SubtitlePicture.h"

class CFileSUP;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QTabWidget;
class QTableView;
class SupTab;

// The rows of the subtitle list: number, start, duration, forced, the file's mapping. A row's
// commands are walked when the view first asks for it; no picture is decoded here.
class SubtitleListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit SubtitleListModel(const CFileSUP& sup) : sup_(sup) {}
  // The document was loaded again: every row is read afresh.
  void Reload();
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  struct Row {
    SubpictureFacts facts;
    QString mapping;
  };
  const Row& RowAt(int row) const;

  const CFileSUP& sup_;
  mutable std::vector<std::optional<Row>> rows_;
};

// The pictures follow the SUP tab's lists (the "after" picture is the unit as Save would write
// it), the palette, the background and the zoom at once; while the tab is hidden the redraw
// waits until it is shown.
class SubtitlePage : public QWidget {
  Q_OBJECT

 public:
  enum Background { kCheckerboard, kBlack, kGrey, kColour };
  static constexpr int kFit = 0;  // ZoomList item 0; items 1-4 are 1x-4x

  // The page is the tab "Subtitles" of `tabs`; the documents are read when drawing.
  SubtitlePage(QTabWidget* tabs, const CFileSUP& sup, const SupTab& mapping,
               const std::array<TColor, 16>& palette, Dialogs& dialogs);

  // The SUP document was loaded: the list is filled again and its first subtitle chosen.
  void ShowSubtitles();
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
  QImage Compose(const std::vector<std::uint8_t>& unit, QString& why) const;
  void Show(QLabel* view, QScrollArea* area, const QImage& image, const QString& why);

  const CFileSUP& sup_;
  const SupTab& mapping_;
  const std::array<TColor, 16>& palette_;
  Dialogs& dialogs_;
  SubtitleListModel model_;
  QScrollArea* beforeArea_ = nullptr;
  QScrollArea* afterArea_ = nullptr;
  TColor chosenColour_ = 0x808000;  // the background "Colour..." shows until one is picked
  bool stale_ = false;              // a redraw waits for the page to be shown
  QImage before_;
  QImage after_;
};
