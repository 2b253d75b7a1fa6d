// The palette overview grid's cells: the index row and the drawing of each cell.
#include <QPainter>

#include "app/PaletteGrid.h"
#include "app/Unit1.h"

void TMainForm::ShowIndexRow(bool supSide) {
  for (int n = 0; n < 16; ++n) {
    const QString number = QString("%1").arg(n, 2, 10, QChar('0'));
    ColourPalette->SetCell(2 * n, 4, supSide ? number : QString());
    ColourPalette->SetCell(2 * n + 1, 4, supSide ? QString() : number);
  }
}

void TMainForm::ColourPaletteDrawCell(QPainter& painter, int column, int row, const QRect& rect) {
  const TColor fill = row < 4 ? PaletteColours[(column / 2) & 15] : kWhite;
  painter.fillRect(rect, QColor(RedOf(fill), GreenOf(fill), BlueOf(fill)));
  const TColor ink = ContrastTextColour(fill);
  QFont font = ColourPalette->font();
  font.setUnderline(column % 2 == 1);
  font.setStyleStrategy(QFont::NoAntialias);  // crisp two-colour cells, as a bitmap font draws
  painter.setFont(font);
  painter.setPen(QColor(RedOf(ink), GreenOf(ink), BlueOf(ink)));
  const QString text = ColourPalette->Cell(column, row);
  if (text.isEmpty()) return;
  // The text's top left corner at (left + 2, top + 2).
  painter.drawText(QPoint(rect.left() + 2, rect.top() + 2 + painter.fontMetrics().ascent()), text);
}

void TMainForm::RepaintPalette() { ColourPalette->update(); }

void TMainForm::SetGridCell(int column, int row, const std::string& text) {
  ColourPalette->SetCell(column, row, QString::fromStdString(text));
}
