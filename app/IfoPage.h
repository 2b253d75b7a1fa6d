// SPDX-License-Identifier: GPL-3.0-or-later
// The IFO tab: sixteen palette entries as hex fields and colour panels, and the tab's buttons.
#pragma once

#include <QWidget>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "app/ColourPanel.h"
#include "app/Dialogs.h"
#include "app/HexEdit.h"
#include "core/Colour.h"
#include "files/Fileifo.h"
#include "files/Tabs.h"

class QCheckBox;
class QComboBox;
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

  // The program chains of the loaded file: their names in the chooser and each one's palette.
  // The first chain is shown. The fields edit the chain shown; the edits of a chain are kept
  // while another is shown.
  void ShowChains(const CFileIFO& ifo);
  // The chain shown (an index into the file's chains), -1 when none is loaded.
  int ShownChain() const { return shown_; }
  // Keeps the fields as the palette of the chain shown, then shows the chain picked in the
  // chooser (setting the fields, which runs their change handler).
  void ShowPickedChain();
  // Sets the palette kept for the chain shown (Restore, import).
  void SetShownPalette(const PaletteTexts& palette);
  // The fields' sixteen texts.
  PaletteTexts FieldPalette() const;
  // What Save IFO writes: every chain with the palette kept for it (the shown one from the
  // fields) when "Save all chains" is checked, else the chain shown.
  std::vector<std::pair<std::size_t, PaletteTexts>> PalettesToSave();
  // Every chain's kept palette, the shown one read from the fields.
  std::vector<PaletteTexts> KeptPalettes() const;
  bool KeepBackup() const;

  QLineEdit* FileNameIFO = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  std::array<HexEdit*, 16> Hex{};                 // Hex00 ... Hex15, Tag = entry
  std::array<ColourPanelBox*, 16> ColourPanel{};  // ColourPanel00 ... ColourPanel15, Tag = entry
  QPushButton* OpenIFO = nullptr;
  QPushButton* SaveIFO = nullptr;
  QPushButton* DefaultIFO = nullptr;
  QPushButton* RestoreIFO = nullptr;
  QComboBox* ChainIFO = nullptr;        // the program chain shown
  QCheckBox* AllChainsIFO = nullptr;    // Save IFO writes every chain
  QCheckBox* KeepBackupIFO = nullptr;   // saves keep the .BUP twin in step
  QPushButton* ImportIFO = nullptr;     // a palette file into the fields
  QPushButton* ExportIFO = nullptr;     // the fields into a palette file
  FileDialog OpenDialogPalette = MakeFileDialog(
      FileDialogKind::kOpen, "Palette files (*.yuv *.rgb *.idx)|*.yuv;*.rgb;*.idx", "yuv");
  FileDialog SaveDialogPalette = MakeFileDialog(
      FileDialogKind::kSave, "Palette files (*.yuv *.rgb *.idx)|*.yuv;*.rgb;*.idx", "yuv");
  FileDialog OpenDialogIFO =
      MakeFileDialog(FileDialogKind::kOpen, "IFO files (*.ifo)|*.ifo", "ifo");
  FileDialog SaveDialogIFO =
      MakeFileDialog(FileDialogKind::kSave, "IFO Files (*.ifo)|*.ifo", "ifo");

 private:
  std::vector<PaletteTexts> palettes_;  // per chain, as last loaded or shown
  int shown_ = -1;
};
