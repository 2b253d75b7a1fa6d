// SPDX-License-Identifier: GPL-3.0-or-later
// A colour panel of the IFO tab: a raised box filled with one colour, a caption drawn in a
// second colour, a tag, and a click signal.
#pragma once

#include <QLabel>

#include "core/Colour.h"

class ColourPanelBox : public QLabel {
  Q_OBJECT
  Q_PROPERTY(int Tag READ Tag WRITE SetTag)

 public:
  explicit ColourPanelBox(const QString& caption, QWidget* parent = nullptr);

  // The fill colour, kept exactly as set.
  TColor Colour() const { return colour_; }
  void SetColour(TColor colour);
  TColor CaptionColour() const { return captionColour_; }
  void SetCaptionColour(TColor colour);

  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

 signals:
  // A left-button press and release inside the panel.
  void Clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void UpdatePalette();

  TColor colour_ = kWhite;
  TColor captionColour_ = kBlack;
  int tag_ = 0;
  bool pressed_ = false;
};
