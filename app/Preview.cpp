// The sample preview: drawing the sample text in the mapped colours, and its controls' handlers.
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QSpinBox>
#include <algorithm>
#include <cmath>

#include "app/SampleView.h"
#include "app/Unit1.h"

namespace {

// The dialog's font before any setting: 37 pixels high.
constexpr int kDefaultPixelSize = 37;
// Beyond this the text is far outside the picture anyway; the cap keeps the glyph outlines small.
constexpr int kMaxPixelSize = 2000;

QColor ScreenColour(TColor colour) {
  return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

// The font the dialog confirmed, as the settings keep it. A property it returns just as the
// opened font resolved to (an installed substitute for "Arial", say) was left alone by the
// user: its stored value stays.
FontSetting ConfirmedFont(const FontSetting& stored, const QFont& opened, const QFont& chosen) {
  const QFontInfo resolved(opened);
  const FontSetting picked = FontSettingOf(chosen);
  FontSetting kept = stored;
  if (chosen.family() != resolved.family()) kept.name = picked.name;
  if (picked.size != resolved.pointSize()) kept.size = picked.size;
  if (picked.bold != resolved.bold()) kept.bold = picked.bold;
  if (picked.italic != resolved.italic()) kept.italic = picked.italic;
  return kept;
}

}  // namespace

int SamplePixelSize(int points) {
  if (points <= 0) return kDefaultPixelSize;  // no size: the font's default height
  const long long pixels = (static_cast<long long>(points) * 96 + 36) / 72;
  return static_cast<int>(std::clamp<long long>(pixels, 1, kMaxPixelSize));
}

QFont SampleQFont(const FontSetting& setting) {
  QFont font(QString::fromStdString(setting.name));
  font.setPixelSize(SamplePixelSize(setting.size));
  font.setBold(setting.bold);
  font.setItalic(setting.italic);
  font.setKerning(false);
  return font;
}

FontSetting FontSettingOf(const QFont& font) {
  FontSetting setting;
  setting.name = font.family().toStdString();
  if (font.pointSizeF() > 0) {
    setting.size = static_cast<int>(std::lround(font.pointSizeF()));
  } else {
    setting.size = (font.pixelSize() * 72 + 48) / 96;
  }
  setting.bold = font.bold();
  setting.italic = font.italic();
  return setting;
}

void TMainForm::RenderSample() {
  const QFont font = SampleQFont(SampleTextFontDialog.font);
  SampleImage->SetTransparent(TransBackground->isChecked());
  QImage& picture = SampleImage->Picture();

  const auto slotColour = [this](const QComboBox* list) {
    const int index = std::clamp(list->currentIndex(), 0, 15);
    return ScreenColour(PaletteColours[index]);
  };

  QPainter painter(&picture);
  // No blending anywhere: every pixel ends up one of the slot colours.
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  painter.fillRect(QRect(0, 0, SampleView::kWidth, SampleView::kHeight),
                   slotColour(BackgroundMapSUP));

  const QString text = SampleText->text();
  if (text.isEmpty()) {
    painter.end();
    SampleImage->PictureChanged();
    return;
  }
  // The glyph outlines, with the top left of the first character cell at (10, 10).
  QPainterPath path;
  path.setFillRule(Qt::WindingFill);
  path.addText(QPointF(10, 10 + QFontMetrics(font).ascent()), font, text);

  const auto pen = [](const QColor& colour, int width) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  };
  const int outline = OutlineWidth->value();
  if (outline != 0) painter.strokePath(path, pen(slotColour(OutlineMapSUP), outline));

  painter.fillPath(path, slotColour(TextMapSUP));
  const int antialias = AntialiasWidth->value();
  if (antialias != 0) painter.strokePath(path, pen(slotColour(AntialiasMapSUP), antialias));
  painter.end();
  SampleImage->PictureChanged();
}

void TMainForm::AntialiasWidthChange() {
  if (!EventsEnabled) return;
  RenderSample();
  IniFile.SaveSettings();
}

void TMainForm::OutlineWidthChange() {
  if (!EventsEnabled) return;
  RenderSample();
  IniFile.SaveSettings();
}

void TMainForm::SampleTextChange() {
  if (!EventsEnabled) return;
  RenderSample();
  IniFile.SaveSettings();
}

void TMainForm::SampleFontClick() {
  QFont opened(QString::fromStdString(SampleTextFontDialog.font.name));
  opened.setPointSize(std::max(1, SampleTextFontDialog.font.size));
  opened.setBold(SampleTextFontDialog.font.bold);
  opened.setItalic(SampleTextFontDialog.font.italic);
  QFont font = opened;
  if (!dialogs_.RunFontDialog(this, font)) return;
  SampleTextFontDialog.font = ConfirmedFont(SampleTextFontDialog.font, opened, font);
  RenderSample();
  IniFile.SaveSettings();
}

void TMainForm::TransBackgroundClick() {
  if (!EventsEnabled) return;
  SampleImage->SetTransparent(TransBackground->isChecked());
  IniFile.SaveSettings();
}
