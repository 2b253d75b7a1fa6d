// SPDX-License-Identifier: GPL-3.0-or-later
// The SUP tab: the mapping lists, the file's own values, the subtitle count and the buttons.
#pragma once

#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "app/Dialogs.h"
#include "files/Tabs.h"

struct SupMapping;

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

// The lists' selections are the mapping being edited; the disabled edits show the file's own.
// Grid cells written by the SUP document go to `grid`. The page is the tab "SUP File" of `tabs`.
class SupPage : public QWidget, public SupTab {
  Q_OBJECT

 public:
  SupPage(QTabWidget* tabs, PaletteGridCells& grid);

  // SupTab
  int MapIndex(int slot) const override;
  void SetMapIndex(int slot, int index) override;
  int IntIndex(int slot) const override;
  void SetIntIndex(int slot, int index) override;
  void SetMapFileText(int slot, const std::string& text) override;
  void SetIntFileText(int slot, const std::string& text) override;
  void SetGridCell(int column, int row, const std::string& text) override;

  // The palette index chosen for each slot, 0-15.
  std::array<int, 4> Slots() const;
  // Entries 0-3 in slot order, a transparent background, the other slots opaque.
  void ApplyDefaultMapping();
  void ShowFileName(const std::string& name);
  void ShowSubtitleCount(int count);
  // The file's distinct mappings: their count and one item each (entries / intensities and the
  // number of subtitles); the first is the first subtitle's.
  void ShowMappings(const std::vector<SupMapping>& mappings);
  // The text of one mapping's item: "0 1 2 3 / 0 15 15 15 (7)", "-" for a missing command.
  static QString MappingText(const SupMapping& mapping);

  QLineEdit* FileNameSUP = nullptr;
  // Slot by slot (Background, Outline, Text, Antialias): index and intensity lists, and the
  // edits with the file's own values.
  std::array<QComboBox*, 4> MapLists{};
  std::array<QComboBox*, 4> IntLists{};
  std::array<QLineEdit*, 4> MapFileEdits{};
  std::array<QLineEdit*, 4> IntFileEdits{};
  // The same controls by name.
  QComboBox*& BackgroundMapSUP = MapLists[0];
  QComboBox*& OutlineMapSUP = MapLists[1];
  QComboBox*& TextMapSUP = MapLists[2];
  QComboBox*& AntialiasMapSUP = MapLists[3];
  QComboBox*& BackgroundIntSUP = IntLists[0];
  QComboBox*& OutlineIntSUP = IntLists[1];
  QComboBox*& TextIntSUP = IntLists[2];
  QComboBox*& AntialiasIntSUP = IntLists[3];
  QLineEdit*& BackgroundMapFileSUP = MapFileEdits[0];
  QLineEdit*& OutlineMapFileSUP = MapFileEdits[1];
  QLineEdit*& TextMapFileSUP = MapFileEdits[2];
  QLineEdit*& AntialiasMapFileSUP = MapFileEdits[3];
  QLineEdit*& BackgroundIntFileSUP = IntFileEdits[0];
  QLineEdit*& OutlineIntFileSUP = IntFileEdits[1];
  QLineEdit*& TextIntFileSUP = IntFileEdits[2];
  QLineEdit*& AntialiasIntFileSUP = IntFileEdits[3];
  QLineEdit* SubtitleCountSUP = nullptr;
  QPushButton* OpenSUP = nullptr;
  QPushButton* SaveSUP = nullptr;
  QPushButton* DefaultSUP = nullptr;
  QPushButton* RestoreSUP = nullptr;
  QPlainTextEdit* MemoSUP = nullptr;
  // Below the note: how many mappings the file's subtitles use, the list of them, and a button
  // that shows the first subtitle of the chosen one in the Subtitles tab.
  QLineEdit* MappingCountSUP = nullptr;
  QComboBox* MappingListSUP = nullptr;
  QPushButton* ViewMappingSUP = nullptr;
  QCheckBox* FirstSubtitleSUP = nullptr;  // hidden; nothing reads it
  FileDialog OpenDialogSUP =
      MakeFileDialog(FileDialogKind::kOpen, "SUP files (*.sup)|*.sup", "sup");
  FileDialog SaveDialogSUP =
      MakeFileDialog(FileDialogKind::kSave, "SUP Files (*.sup)|*.sup", "sup");

 private:
  PaletteGridCells& grid_;
};
