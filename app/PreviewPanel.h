// SPDX-License-Identifier: GPL-3.0-or-later
// The sample preview: the drawing of the sample text in the mapped colours, and the panel
// below the log with the picture and its text, width, see-through and font controls.
#pragma once

#include <QFont>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Colour.h"
#include "core/Settings.h"

class Dialogs;
class QCheckBox;
class QFrame;
class QImage;
class QLineEdit;
class QPushButton;
class QSpinBox;
class SampleView;

// Pen widths in pixels of the outline pass and of the edge line; 0 leaves a line out.
struct SampleWidths {
  int outline = 0;
  int antialias = 0;
};

// Draws the whole of `image`: the Background slot's colour, then `text` with the top left of
// its first character cell at (10, 10): an outline line, the letters filled, an edge line.
// `entries` are the palette entries of Background, Outline, Text and Antialias. Coordinates and
// widths are in the image's device-independent pixels: an image with a device pixel ratio of 2
// gets twice the pixels, every one of them still exactly one of the slot colours.
void DrawSample(QImage& image, const std::array<TColor, 16>& palette,
                const std::array<int, 4>& entries, SampleWidths widths, const QFont& font,
                const QString& text);

// The pixel height the sample text is drawn at for a size in points (96 pixels per inch).
int SamplePixelSize(int points);
// The font the sample text is drawn with.
QFont SampleQFont(const FontSetting& font);
// A font the font dialog returned, as the settings keep it.
FontSetting FontSettingOf(const QFont& font);

// The font of the sample text: the font dialog's font.
struct FontDialog {
  FontSetting font;
};

class PreviewPanel : public QWidget {
  Q_OBJECT

 public:
  explicit PreviewPanel(QWidget* window);

  // Draws the sample with the panel's text, font and widths.
  void Render(const std::array<TColor, 16>& palette, const std::array<int, 4>& entries);
  // Shows the picture see-through or not, as the box says; no new drawing.
  void ShowTransparency();
  // Runs the font dialog on the sample font; true when it was confirmed.
  bool PickFont(Dialogs& dialogs);

  std::string Text() const;
  void SetText(const std::string& text);  // shows the text's start, not its end
  const FontSetting& SampleFontSetting() const { return SampleTextFontDialog.font; }
  void SetSampleFont(const FontSetting& font) { SampleTextFontDialog.font = font; }

  QFrame* Bevel1 = nullptr;
  SampleView* SampleImage = nullptr;
  QLineEdit* SampleText = nullptr;
  QSpinBox* AntialiasWidth = nullptr;
  QSpinBox* OutlineWidth = nullptr;
  QCheckBox* TransBackground = nullptr;
  QPushButton* SampleFont = nullptr;
  FontDialog SampleTextFontDialog;

 private:
  // Which slot each pixel of the picture shows (255: a pixel the drawing left alone), drawn
  // once for the text, font, widths and picture size it was drawn with. A colour change only
  // looks the slots up.
  struct SlotMap {
    QString text;
    QFont font;
    SampleWidths widths;
    QSize size;
    qreal ratio = 0;
    std::vector<std::uint8_t> pixels;
  };
  void DrawSlotsIfChanged(const QImage& picture, SampleWidths widths, const QFont& font,
                          const QString& text);
  SlotMap slotMap_;

 signals:
  // The screen's pixel ratio changed under the picture: it wants drawing again.
  void RedrawWanted();
};
