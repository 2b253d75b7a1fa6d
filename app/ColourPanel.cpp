// SPDX-License-Identifier: GPL-3.0-or-later
// A colour panel of the IFO tab.
#include "app/ColourPanel.h"

#include <QMouseEvent>

ColourPanelBox::ColourPanelBox(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
  setAlignment(Qt::AlignCenter);
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(1);
  setAutoFillBackground(true);
  UpdatePalette();
}

void ColourPanelBox::SetColour(TColor colour) {
  colour_ = colour & 0xFFFFFF;
  UpdatePalette();
}

void ColourPanelBox::SetCaptionColour(TColor colour) {
  captionColour_ = colour & 0xFFFFFF;
  UpdatePalette();
}

void ColourPanelBox::UpdatePalette() {
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, QColor(RedOf(colour_), GreenOf(colour_), BlueOf(colour_)));
  palette.setColor(QPalette::WindowText,
                   QColor(RedOf(captionColour_), GreenOf(captionColour_), BlueOf(captionColour_)));
  setPalette(palette);
}

void ColourPanelBox::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  event->accept();
}

void ColourPanelBox::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = pressed_ && event->button() == Qt::LeftButton &&
                     rect().contains(event->position().toPoint());
  pressed_ = false;
  event->accept();
  if (click) emit Clicked();
}
