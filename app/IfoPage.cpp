// SPDX-License-Identifier: GPL-3.0-or-later
// The IFO tab: sixteen palette entries as hex fields and colour panels, and the tab's buttons.
#include "app/IfoPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "app/ColourPanel.h"
#include "app/HexEdit.h"
#include "app/Look.h"
#include "files/Fileifo.h"

namespace {

bool IsEntry(int index) { return index >= 0 && index < 16; }

}  // namespace

IfoPage::IfoPage(QTabWidget* tabs) {
  tabs->addTab(this, "IFO File");
  FileNameIFO = MakeEdit(this, QRect(8, 8, 817, kEditHeight), QString(), true);
  UseFaceColour(FileNameIFO);
  // The note ends above its original bottom to leave room for the chain controls below it.
  Memo1 = MakeNote(this, QRect(8, 40, 401, 145),
                   {"*** WARNING ***", "", "Please be aware that it is not possible to get ",
                    "the conversion between RGB<->YCbCr to be 100% ",
                    "as rounding and clipping errors are introduced.", "",
                    "This means that as you switch between colours ",
                    "and hex values the hex values/colours may drift!"});

  // Entries 0-7 in the left column, 8-15 in the right, one row of 32 pixels each.
  for (int i = 0; i < 16; ++i) {
    const int left = i < 8 ? 424 : 632;
    const int top = 40 + 32 * (i % 8);
    MakeLabel(this, TwoDigits(i), QRect(left, top, 22, 25));
    Hex[i] = new HexEdit(this);
    Hex[i]->setObjectName("Hex" + TwoDigits(i));
    Hex[i]->setGeometry(left + 24, top, i == 0 ? 81 : 80, kEditHeight);
    Hex[i]->SetTag(i);
    ColourPanel[i] = new ColourPanelBox("Colour", this);
    ColourPanel[i]->setObjectName("ColourPanel" + TwoDigits(i));
    ColourPanel[i]->setGeometry(left + 112, top, 81, 25);
    ColourPanel[i]->SetTag(i);
  }

  MakeLabel(this, "Chain:", QRect(8, 192, 48, kEditHeight));
  ChainIFO = new QComboBox(this);
  ChainIFO->setGeometry(56, 192, 168, kEditHeight);
  ChainIFO->setToolTip("The program chain whose palette the fields show");
  AllChainsIFO = new QCheckBox("Save all chains", this);
  AllChainsIFO->setGeometry(240, 192, 168, kEditHeight);
  KeepBackupIFO = new QCheckBox("Keep .BUP in step", this);
  KeepBackupIFO->setGeometry(8, 222, 200, kEditHeight);
  KeepBackupIFO->setChecked(true);
  ImportIFO = new QPushButton("Import...", this);
  ImportIFO->setGeometry(216, 220, 92, 26);
  ExportIFO = new QPushButton("Export...", this);
  ExportIFO->setGeometry(316, 220, 92, 26);

  OpenIFO = MakeButton(this, "Open IFO", 8);
  SaveIFO = MakeButton(this, "Save IFO", 112);
  DefaultIFO = MakeButton(this, "Default", 216);
  RestoreIFO = MakeButton(this, "Restore", 320);
  OpenIFO->setDefault(true);
}

std::string IfoPage::HexText(int index) const {
  return IsEntry(index) ? Hex[index]->Text().toStdString() : std::string();
}

void IfoPage::SetHexText(int index, const std::string& text) {
  if (IsEntry(index)) Hex[index]->SetText(QString::fromStdString(text));
}

TColor IfoPage::HexColour(int index) const {
  // A text shorter than six characters gives the colour of Y = Cr = Cb = -1.
  const std::string text = HexText(index);
  return YCrCbToColour(HexTextY(text), HexTextCr(text), HexTextCb(text));
}

void IfoPage::MakeHexCanonical(int index) {
  // A short text reads as -1 three times over, whose first six hex digits are FFFFFF.
  const std::string text = HexText(index);
  SetHexText(index, FormatHexText(HexTextY(text), HexTextCr(text), HexTextCb(text)));
}

void IfoPage::PanelToHex(int index) {
  if (!IsEntry(index)) return;
  const TColor colour = ColourPanel[index]->Colour();
  SetHexText(index, FormatHexText(ColourToY(colour), ColourToCr(colour), ColourToCb(colour)));
}

void IfoPage::HexToPanel(int index) {
  if (!IsEntry(index)) return;
  ColourPanelBox* panel = ColourPanel[index];
  panel->SetColour(HexColour(index));
  panel->SetCaptionColour(ContrastTextColour(panel->Colour()));
}

void IfoPage::ApplyDefaultColours() {
  for (int i = 0; i < 16; ++i) ColourPanel[i]->SetColour(kDefaultPalette[i]);
}

void IfoPage::ShowFileName(const std::string& name) {
  FileNameIFO->setText(QString::fromStdString(name));
}

void IfoPage::ShowChains(const CFileIFO& ifo) {
  ChainIFO->clear();
  palettes_.clear();
  for (std::size_t c = 0; c < ifo.Chains().size(); ++c) {
    ChainIFO->addItem(QString::fromStdString(ProgramChainName(ifo.Chains()[c])));
    PaletteTexts& texts = palettes_.emplace_back();
    for (int i = 0; i < 16; ++i) {
      int y = 0, cr = 0, cb = 0;
      if (ifo.GetChainEntry(c, i, y, cr, cb)) texts[static_cast<std::size_t>(i)] = FormatHexText(y, cr, cb);
    }
  }
  shown_ = palettes_.empty() ? -1 : 0;
  ChainIFO->setCurrentIndex(shown_);
}

void IfoPage::ShowPickedChain() {
  const int picked = ChainIFO->currentIndex();
  if (shown_ < 0 || picked < 0 || picked >= static_cast<int>(palettes_.size())) return;
  palettes_[static_cast<std::size_t>(shown_)] = FieldPalette();
  shown_ = picked;
  for (int i = 0; i < 16; ++i) SetHexText(i, palettes_[static_cast<std::size_t>(picked)][i]);
}

void IfoPage::SetShownPalette(const PaletteTexts& palette) {
  if (shown_ >= 0) palettes_[static_cast<std::size_t>(shown_)] = palette;
}

PaletteTexts IfoPage::FieldPalette() const {
  PaletteTexts texts;
  for (int i = 0; i < 16; ++i) texts[static_cast<std::size_t>(i)] = HexText(i);
  return texts;
}

std::vector<std::pair<std::size_t, PaletteTexts>> IfoPage::PalettesToSave() {
  std::vector<std::pair<std::size_t, PaletteTexts>> chosen;
  if (shown_ < 0) return chosen;
  palettes_[static_cast<std::size_t>(shown_)] = FieldPalette();
  for (std::size_t c = 0; c < palettes_.size(); ++c) {
    if (AllChainsIFO->isChecked() || static_cast<int>(c) == shown_) {
      chosen.emplace_back(c, palettes_[c]);
    }
  }
  return chosen;
}

std::vector<PaletteTexts> IfoPage::KeptPalettes() const {
  std::vector<PaletteTexts> kept = palettes_;
  if (shown_ >= 0) kept[static_cast<std::size_t>(shown_)] = FieldPalette();
  return kept;
}

bool IfoPage::KeepBackup() const { return KeepBackupIFO->isChecked(); }
