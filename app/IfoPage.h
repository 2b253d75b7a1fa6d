// SPDX-License-Identifier: GPL-3.0-or-later
// The IFO tab: sixteen palette entries as hex fields and colour panels, and the tab's buttons.
#pragma once

#include <QWidget>
#include <array>
#include <string>

#include "app/ColourPanel.h"
#include "app/Dialogs.h"
#include "app/HexEdit.h"
#include "core/Colour.h"
#include "files/Tabs.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

// A hex field raises Changed() only when its shown text changes, also when the text is set
// from code; the window's HexXXChange answers it. The entry operations below each do nothing
// for an index outside 0-15.
class IfoPage : public QWidget, public IfoTab {
  Q_OBJECT

 public:
  // The page is the tab "IFO File" of `tabs`.
  explicit IfoPage(QTabWidget* tabs);

  // IfoTab: the text of hex field `index`.
  std::string HexText(int index) const override;
  void SetHexText(int index, const std::string& text);
  // The colour hex field `index` stands for.
  TColor HexColour(int index) const;
  // Rewrites the field in canonical form: non-hex characters become F, a short text FF FF FF.
  void MakeHexCanonical(int index);

  // Sets the hex field to the panel's colour as Y Cr Cb.
  void PanelToHex(int index);
  // Sets the panel to the field's colour, with a caption that reads on it.
  void HexToPanel(int index);
  // Sets every panel to the Default palette; the fields are left to PanelToHex.
  void ApplyDefaultColours();

  void ShowFileName(const std::string& name);

  QLineEdit* FileNameIFO = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  std::array<HexEdit*, 16> Hex{};                 // Hex00 ... Hex15, Tag = entry
  std::array<ColourPanelBox*, 16> ColourPanel{};  // ColourPanel00 ... ColourPanel15, Tag = entry
  QPushButton* OpenIFO = nullptr;
  QPushButton* SaveIFO = nullptr;
  QPushButton* DefaultIFO = nullptr;
  QPushButton* RestoreIFO = nullptr;
  FileDialog OpenDialogIFO =
      MakeFileDialog(FileDialogKind::kOpen, "IFO files (*.ifo)|*.ifo", "ifo");
  FileDialog SaveDialogIFO =
      MakeFileDialog(FileDialogKind::kSave, "IFO Files (*.ifo)|*.ifo", "ifo");
};
