// The IFO tab: the title set's sixteen palette entries as hex fields and colour panels, kept in
// step with PaletteColours, and the open, save, default and restore buttons.
//
// A hex field raises Changed() only when its shown text changes, also when the text is set
// from code. HexXXChange ends by writing its field in canonical form, so every write to a
// field runs the handler at most twice, nested inside the write; nothing else guards it.
#include <QColor>
#include <QLineEdit>
#include <QPushButton>

#include "app/ColourPanel.h"
#include "app/HexEdit.h"
#include "app/Unit1.h"

namespace {

// The palette Default applies, entry 0 to 15.
constexpr std::array<TColor, 16> kDefaultPalette = {
    0xFF0000,  // blue
    0x000000,  // black
    0xFFFFFF,  // white
    0xC0C0C0,  // silver
    0x800000,  // navy
    0x808080,  // gray
    0x0000FF,  // red
    0x000080,  // maroon
    0x00FF00,  // lime
    0x008000,  // green
    0x008080,  // olive
    0x00FFFF,  // yellow
    0xFF00FF,  // fuchsia
    0x800080,  // purple
    0xFFFF00,  // aqua
    0x808000,  // teal
};

bool IsEntry(int index) { return index >= 0 && index < 16; }

// The colour a palette hex text stands for; a text shorter than six characters gives the
// colour of Y = Cr = Cb = -1.
TColor HexTextColour(const std::string& text) {
  return YCrCbToColour(HexTextY(text), HexTextCr(text), HexTextCb(text));
}

std::string CanonicalHexText(const std::string& text) {
  return FormatHexText(HexTextY(text), HexTextCr(text), HexTextCb(text));
}

}  // namespace

void TMainForm::ConnectIfoTab() {
  for (HexEdit* field : Hex)
    connect(field, &HexEdit::Changed, this, [this, field] { HexXXChange(field); });
  for (ColourPanelBox* panel : ColourPanel)
    connect(panel, &ColourPanelBox::Clicked, this, [this, panel] { ColourPanelXXClick(panel); });
  connect(OpenIFO, &QPushButton::clicked, this, [this] { OpenIFOClick(); });
  connect(SaveIFO, &QPushButton::clicked, this, [this] { SaveIFOClick(); });
  connect(DefaultIFO, &QPushButton::clicked, this, [this] { DefaultIFOClick(); });
  connect(RestoreIFO, &QPushButton::clicked, this, [this] { RestoreIFOClick(); });
}

std::string TMainForm::HexText(int index) const {
  return IsEntry(index) ? Hex[index]->Text().toStdString() : std::string();
}

// Entry operations.

void TMainForm::PanelToHex(int index) {
  if (!IsEntry(index)) return;
  const TColor colour = ColourPanel[index]->Colour();
  Hex[index]->SetText(QString::fromStdString(
      FormatHexText(ColourToY(colour), ColourToCr(colour), ColourToCb(colour))));
}

void TMainForm::HexToPanel(int index) {
  if (!IsEntry(index)) return;
  ColourPanelBox* panel = ColourPanel[index];
  panel->SetColour(HexTextColour(HexText(index)));
  panel->SetCaptionColour(ContrastTextColour(panel->Colour()));
}

void TMainForm::HexToPaletteColour(int index) {
  if (!IsEntry(index)) return;
  PaletteColours[index] = HexTextColour(HexText(index));
  RepaintPalette();
}

void TMainForm::PanelToPaletteColour(int index) {
  if (!IsEntry(index)) return;
  PaletteColours[index] = ColourPanel[index]->Colour();
  RepaintPalette();
}

// Handlers.

void TMainForm::HexXXChange(HexEdit* sender) {
  const int index = sender->Tag();
  if (!IsEntry(index)) return;
  HexToPanel(index);
  HexToPaletteColour(index);
  RenderSample();
  // Canonical form: non-hex characters become F, a short text becomes FF FF FF (the field
  // keeps the first six characters of FFFFFFFF three times over). Runs this handler once
  // more, nested, when the text changes.
  Hex[index]->SetText(QString::fromStdString(CanonicalHexText(HexText(index))));
}

void TMainForm::ColourPanelXXClick(ColourPanelBox* sender) {
  const int index = sender->Tag();
  if (!IsEntry(index)) return;
  const TColor current = sender->Colour();
  QColor colour(RedOf(current), GreenOf(current), BlueOf(current));
  if (!dialogs_.RunColourDialog(this, colour)) return;
  sender->SetColour(MakeColour(colour.red(), colour.green(), colour.blue()));
  // When the field's text changes, its handler recolours the panel with the converted colour;
  // otherwise the panel keeps the colour picked.
  PanelToHex(index);
  PanelToPaletteColour(index);
  RenderSample();
  sender->SetCaptionColour(ContrastTextColour(sender->Colour()));
}

void TMainForm::OpenIFOClick() {
  if (!dialogs_.RunFileDialog(this, OpenDialogIFO)) return;
  const std::string fileName = OpenDialogIFO.fileName;
  if (IfoFile.Load(fileName) == -1) {
    // The load has logged why; the fields keep what they show.
    FileNameIFO->setText(QString());
    return;
  }
  FileNameIFO->setText(QString::fromStdString(fileName));
  SaveDialogIFO.fileName = fileName;
  ShowFilePalette();
  LogMessage(kLogInfo, "IFO file loaded [%s]", fileName.c_str());
}

void TMainForm::ShowFilePalette() {
  // Each field whose text changes runs HexXXChange, which recolours its entry.
  for (int i = 0; i < 16; ++i) {
    int y = 0;
    int cr = 0;
    int cb = 0;
    if (IfoFile.GetPaletteEntry(i, y, cr, cb))
      Hex[i]->SetText(QString::fromStdString(FormatHexText(y, cr, cb)));
  }
}

void TMainForm::SaveIFOClick() {
  if (!IfoFile.HasData()) {
    LogMessage(kLogError, "ERROR - Can't save no IFO file loaded!!!");
    return;
  }
  if (!dialogs_.RunFileDialog(this, SaveDialogIFO)) return;
  const std::string fileName = SaveDialogIFO.fileName;
  FileNameIFO->setText(QString::fromStdString(fileName));
  IfoFile.Save(fileName);  // logs its own success or failure
}

void TMainForm::DefaultIFOClick() {
  LogMessage(kLogWarning, "WARNING - Default IFO values applied!!!");
  for (int i = 0; i < 16; ++i) ColourPanel[i]->SetColour(kDefaultPalette[i]);
  for (int i = 0; i < 16; ++i) {
    PanelToHex(i);
    PanelToPaletteColour(i);
  }
  RenderSample();
}

void TMainForm::RestoreIFOClick() {
  if (!IfoFile.HasData()) return;
  LogMessage(kLogWarning, "WARNING - IFO values restored from file!!!");
  ShowFilePalette();
}
