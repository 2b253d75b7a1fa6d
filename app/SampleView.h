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

  // The picture drawn on: created at its fixed size the first time it is asked for.
  QImage& Picture();
  const QImage& Picture() const { return picture_; }
  // Shows the picture as it now is.
  void PictureChanged();

  // With transparency on, every pixel of the bottom left pixel's colour shows the window's
  // face colour instead.
  void SetTransparent(bool transparent);
  bool Transparent() const { return transparent_; }

  // What the widget shows: the picture over the face colour.
  QImage Displayed() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Rebuild();

  QImage picture_;
  QPixmap shown_;
  bool transparent_ = false;
};
