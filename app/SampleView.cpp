// SPDX-License-Identifier: GPL-3.0-or-later
// The sample preview's picture and its display, optionally with the background see-through.
#include "app/SampleView.h"

#include <QPainter>

SampleView::SampleView(QWidget* parent) : QWidget(parent) {}

QImage& SampleView::Picture() {
  const qreal ratio = devicePixelRatioF();
  if (picture_.isNull() || picture_.devicePixelRatio() != ratio) {
    picture_ = QImage(QSize(kWidth, kHeight) * ratio, QImage::Format_RGB32);
    picture_.setDevicePixelRatio(ratio);
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
  if (!transparent_) {
    shown_ = QPixmap::fromImage(picture_);
    return;
  }
  // Pixels of the key colour get no coverage, so the face colour below shows through.
  QImage keyed = picture_.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = picture_.pixel(0, picture_.height() - 1) & 0xFFFFFF;
  for (int y = 0; y < keyed.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
    for (int x = 0; x < keyed.width(); ++x)
      if ((line[x] & 0xFFFFFF) == key) line[x] = 0;
  }
  shown_ = QPixmap::fromImage(keyed);
}

QImage SampleView::Displayed() const {
  const qreal ratio = picture_.isNull() ? 1.0 : picture_.devicePixelRatio();
  QImage out(QSize(kWidth, kHeight) * ratio, QImage::Format_RGB32);
  out.setDevicePixelRatio(ratio);
  out.fill(palette().color(QPalette::Window));
  QPainter painter(&out);
  if (!shown_.isNull()) painter.drawPixmap(0, 0, shown_);
  return out;
}

void SampleView::paintEvent(QPaintEvent*) {
  if (!picture_.isNull() && picture_.devicePixelRatio() != devicePixelRatioF()) emit RatioChanged();
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  if (!shown_.isNull()) painter.drawPixmap(0, 0, shown_);
}
