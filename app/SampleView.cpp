// The sample preview's picture and its display, optionally with the background see-through.
#include "app/SampleView.h"

#include <QBitmap>
#include <QPainter>

SampleView::SampleView(QWidget* parent) : QWidget(parent) {}

QImage& SampleView::Picture() {
  if (picture_.isNull()) {
    picture_ = QImage(kWidth, kHeight, QImage::Format_RGB32);
    picture_.fill(Qt::white);
  }
  return picture_;
}

void SampleView::PictureChanged() {
  Rebuild();
  update();
}

void SampleView::SetTransparent(bool transparent) {
  if (transparent == transparent_) return;
  transparent_ = transparent;
  Rebuild();
  update();
}

void SampleView::Rebuild() {
  if (picture_.isNull()) {
    shown_ = QPixmap();
    return;
  }
  shown_ = QPixmap::fromImage(picture_);
  if (transparent_) {
    const QRgb key = picture_.pixel(0, picture_.height() - 1);
    shown_.setMask(QBitmap::fromImage(picture_.createMaskFromColor(key, Qt::MaskOutColor)));
  }
}

QImage SampleView::Displayed() const {
  QImage out(kWidth, kHeight, QImage::Format_RGB32);
  out.fill(palette().color(QPalette::Window));
  QPainter painter(&out);
  if (!shown_.isNull()) painter.drawPixmap(0, 0, shown_);
  return out;
}

void SampleView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  if (!shown_.isNull()) painter.drawPixmap(0, 0, shown_);
}
