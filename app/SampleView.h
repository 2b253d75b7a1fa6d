// SPDX-License-Identifier: GPL-3.0-or-later
// The sample preview's picture and its display, optionally with the background see-through.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

class SampleView : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 841;
  static constexpr int kHeight = 89;

  explicit SampleView(QWidget* parent = nullptr);

  // The picture drawn on: 841 x 89 device-independent pixels at the screen's pixel ratio,
  // made anew (white) the first time it is asked for and whenever that ratio has changed.
  QImage& Picture();
  const QImage& Picture() const { return picture_; }
  // Shows the picture as it now is.
  void PictureChanged();

  // With transparency on, every pixel of the bottom left pixel's colour shows the window's
  // face colour instead.
  void SetTransparent(bool transparent);
  bool Transparent() const { return transparent_; }

  // What the widget shows: the picture over the face colour, at the picture's pixel ratio.
  QImage Displayed() const;

 signals:
  // Raised when painting finds the screen's pixel ratio no longer that of the picture.
  void RatioChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Rebuild();

  QImage picture_;
  QPixmap shown_;
  bool transparent_ = false;
};
