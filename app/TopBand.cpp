// SPDX-License-Identifier: GPL-3.0-or-later
// The band at the top of the window: the palette overview grid and its row captions.
#include "app/TopBand.h"

#include <QLabel>
#include <QPainter>

#include "app/Look.h"
#include "app/PaletteGrid.h"

namespace {

// The band's place in the window; its children are placed relative to it.
constexpr QRect kBounds(8, 8, 841, 121);
constexpr int kRowHeight = PaletteGrid::kCellHeight;

// Sets only these two properties: the rest comes from the window's font.
void SetStyle(QLabel* label, bool underline, bool italic) {
  QFont font;
  font.setUnderline(underline);
  font.setItalic(italic);
  label->setFont(font);
}

}  // namespace

TopBand::TopBand(QWidget* window, const std::array<TColor, 16>& palette)
    : QFrame(window), palette_(palette) {
  setGeometry(kBounds);
  setFrameShape(QFrame::Panel);
  setFrameShadow(QFrame::Sunken);

  ColourPalette = new PaletteGrid(this);
  ColourPalette->setGeometry(112 - kBounds.left(), 0, 644, 121);
  ColourPalette->setEnabled(false);
  ColourPalette->SetDrawCell([this](QPainter& painter, int column, int row, const QRect& rect) {
    ColourPaletteDrawCell(painter, column, row, rect);
  });

  const char* supCaptions[] = {"Background>", "Outline>", "Text>", "Antialias>"};
  for (int row = 0; row < 4; ++row) {
    const int top = kRowHeight * row;
    SupRowCaptions[row] = MakeLabel(this, supCaptions[row], QRect(4, top, 96, kRowHeight),
                                    Qt::AlignRight | Qt::AlignVCenter);
    VobRowCaptions[row] =
        MakeLabel(this, QString("<Colour %1").arg(row), QRect(760, top, 76, kRowHeight));
    SetStyle(VobRowCaptions[row], true, false);
  }
  SupRowCaptions[4] = MakeLabel(this, "(QUENLIX)", QRect(4, 96, 96, kRowHeight), Qt::AlignCenter);
  VobRowCaptions[4] = MakeLabel(this, "(VOB)", QRect(752, 96, 84, kRowHeight), Qt::AlignCenter);
  SetStyle(SupRowCaptions[4], false, true);
  SetStyle(VobRowCaptions[4], false, true);
}

void TopBand::ShowIndexRow(bool supSide) {
  for (int n = 0; n < 16; ++n) {
    ColourPalette->SetCell(2 * n, 4, supSide ? TwoDigits(n) : QString());
    ColourPalette->SetCell(2 * n + 1, 4, supSide ? QString() : TwoDigits(n));
  }
}

void TopBand::ColourPaletteDrawCell(QPainter& painter, int column, int row,
                                    const QRect& rect) const {
  const TColor fill = row < 4 ? palette_[(column / 2) & 15] : kWhite;
  painter.fillRect(rect, WidgetColour(fill));
  QFont font = ColourPalette->font();
  font.setUnderline(column % 2 == 1);
  font.setStyleStrategy(QFont::NoAntialias);  // crisp two-colour cells, as a bitmap font draws
  painter.setFont(font);
  painter.setPen(WidgetColour(ContrastTextColour(fill)));
  const QString text = ColourPalette->Cell(column, row);
  if (text.isEmpty()) return;
  // The text's top left corner at (left + 2, top + 2).
  painter.drawText(QPoint(rect.left() + 2, rect.top() + 2 + painter.fontMetrics().ascent()), text);
}

void TopBand::RepaintPalette() { ColourPalette->update(); }

void TopBand::SetGridCell(int column, int row, const std::string& text) {
  ColourPalette->SetCell(column, row, QString::fromStdString(text));
}
