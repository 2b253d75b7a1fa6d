// SPDX-License-Identifier: GPL-3.0-or-later
// The sample preview: the drawing of the sample text in the mapped colours, and the panel
// below the log with the picture and its text, width, see-through and font controls.
#include "app/PreviewPanel.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>
#include <cmath>

#include "app/Dialogs.h"
#include "app/Look.h"
#include "app/SampleView.h"

namespace {

// The dialog's font before any setting: 37 pixels high, 28 points.
constexpr int kDialogPixelSize = 37;
// Beyond this the text is far outside the picture anyway; the cap keeps the glyph outlines small.
constexpr int kMaxPixelSize = 2000;
// The panel's place in the window; its children are placed relative to it.
constexpr QRect kBounds(8, 584, 841, 121);
constexpr int kControlsTop = 680 - kBounds.top();

int PointsOfPixels(int pixels) { return (pixels * 72 + 48) / 96; }

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

QSpinBox* MakeWidthField(QWidget* parent, int left, int value) {
  auto* field = new QSpinBox(parent);
  field->setGeometry(left, kControlsTop, 49, kEditHeight);
  field->setRange(0, 10);
  field->setValue(value);
  return field;
}

}  // namespace

void DrawSample(QImage& image, const std::array<TColor, 16>& palette,
                const std::array<int, 4>& entries, SampleWidths widths, const QFont& font,
                const QString& text) {
  const auto slotColour = [&](int slot) {
    return WidgetColour(palette[std::clamp(entries[slot], 0, 15)]);
  };
  QPainter painter(&image);
  // No blending anywhere: every pixel ends up one of the slot colours.
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  painter.fillRect(QRectF(QPointF(0, 0), image.deviceIndependentSize()), slotColour(0));
  if (text.isEmpty()) return;

  // The glyph outlines, with the top left of the first character cell at (10, 10).
  QPainterPath path;
  path.setFillRule(Qt::WindingFill);
  path.addText(QPointF(10, 10 + QFontMetrics(font).ascent()), font, text);
  const auto pen = [](const QColor& colour, int width) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  };
  if (widths.outline != 0) painter.strokePath(path, pen(slotColour(1), widths.outline));
  painter.fillPath(path, slotColour(2));
  if (widths.antialias != 0) painter.strokePath(path, pen(slotColour(3), widths.antialias));
}

int SamplePixelSize(int points) {
  if (points <= 0) return kDialogPixelSize;  // no size: the font's default height
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
    setting.size = PointsOfPixels(font.pixelSize());
  }
  setting.bold = font.bold();
  setting.italic = font.italic();
  return setting;
}

PreviewPanel::PreviewPanel(QWidget* window) : QWidget(window) {
  setGeometry(kBounds);
  Bevel1 = MakeBevel(this, QRect(0, 0, 841, 89), true);
  SampleImage = new SampleView(this);
  SampleImage->setGeometry(0, 0, SampleView::kWidth, SampleView::kHeight);
  connect(SampleImage, &SampleView::RatioChanged, this, &PreviewPanel::RedrawWanted,
          Qt::QueuedConnection);

  SampleText = MakeEdit(this, QRect(0, kControlsTop, 313, kEditHeight), kDefaultSampleText, false);
  SampleText->setCursorPosition(0);
  MakeLabel(this, "Antialias:", QRect(324, kControlsTop, 80, kEditHeight),
            Qt::AlignRight | Qt::AlignVCenter);
  AntialiasWidth = MakeWidthField(this, 408, kDefaultAntialias);
  MakeLabel(this, "Outline:", QRect(464, kControlsTop, 68, kEditHeight),
            Qt::AlignRight | Qt::AlignVCenter);
  OutlineWidth = MakeWidthField(this, 536, kDefaultOutline);
  TransBackground = new QCheckBox("Trans Background", this);
  TransBackground->setGeometry(592, kControlsTop, 150, kEditHeight);
  TransBackground->setLayoutDirection(Qt::RightToLeft);  // caption left of the box
  TransBackground->setChecked(false);
  SampleFont = new QPushButton("Font", this);
  SampleFont->setGeometry(752, kControlsTop, 89, 25);
  QFont system("System");
  system.setPixelSize(13);
  system.setBold(true);
  SampleFont->setFont(system);

  SampleTextFontDialog.font =
      FontSetting{kDefaultFontName, PointsOfPixels(kDialogPixelSize), false, false};
}

void PreviewPanel::DrawSlotsIfChanged(const QImage& picture, SampleWidths widths,
                                      const QFont& font, const QString& text) {
  SlotMap& map = slotMap_;
  if (!map.pixels.empty() && map.text == text && map.font == font &&
      map.widths.outline == widths.outline && map.widths.antialias == widths.antialias &&
      map.size == picture.size() && map.ratio == picture.devicePixelRatio()) {
    return;
  }
  // The sample drawn in four key colours whose blue part is the slot number: the drawing has
  // no blending, so each pixel ends up exactly the key of the last layer over it.
  constexpr std::uint8_t kUntouched = 255;
  QImage keyed(picture.size(), QImage::Format_RGB32);
  keyed.setDevicePixelRatio(picture.devicePixelRatio());
  keyed.fill(QColor(0, 0, kUntouched));
  std::array<TColor, 16> keys{};
  for (int slot = 0; slot < 4; ++slot) keys[slot] = MakeColour(0, 0, slot);
  DrawSample(keyed, keys, {0, 1, 2, 3}, widths, font, text);
  map = SlotMap{text, font, widths, picture.size(), picture.devicePixelRatio(), {}};
  map.pixels.resize(static_cast<std::size_t>(keyed.width()) * keyed.height());
  std::uint8_t* out = map.pixels.data();
  for (int y = 0; y < keyed.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(keyed.constScanLine(y));
    for (int x = 0; x < keyed.width(); ++x) *out++ = static_cast<std::uint8_t>(qBlue(line[x]));
  }
}

void PreviewPanel::Render(const std::array<TColor, 16>& palette,
                          const std::array<int, 4>& entries) {
  ShowTransparency();
  QImage& picture = SampleImage->Picture();
  const SampleWidths widths{OutlineWidth->value(), AntialiasWidth->value()};
  DrawSlotsIfChanged(picture, widths, SampleQFont(SampleTextFontDialog.font), SampleText->text());
  // Each pixel in the colour of its slot, as DrawSample would draw it.
  std::array<QRgb, 4> colours{};
  for (int slot = 0; slot < 4; ++slot) {
    colours[slot] = WidgetColour(palette[std::clamp(entries[slot], 0, 15)]).rgb();
  }
  const std::uint8_t* slot = slotMap_.pixels.data();
  for (int y = 0; y < picture.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
    for (int x = 0; x < picture.width(); ++x, ++slot) {
      if (*slot < 4) line[x] = colours[*slot];
    }
  }
  SampleImage->PictureChanged();
}

void PreviewPanel::ShowTransparency() { SampleImage->SetTransparent(TransBackground->isChecked()); }

bool PreviewPanel::PickFont(Dialogs& dialogs) {
  const FontSetting& stored = SampleTextFontDialog.font;
  QFont opened(QString::fromStdString(stored.name));
  opened.setPointSize(std::max(1, stored.size));
  opened.setBold(stored.bold);
  opened.setItalic(stored.italic);
  QFont font = opened;
  if (!dialogs.RunFontDialog(this, font)) return false;
  SampleTextFontDialog.font = ConfirmedFont(stored, opened, font);
  return true;
}

std::string PreviewPanel::Text() const { return SampleText->text().toStdString(); }

void PreviewPanel::SetText(const std::string& text) {
  SampleText->setText(QString::fromStdString(text));
  SampleText->setCursorPosition(0);
}
