// SPDX-License-Identifier: GPL-3.0-or-later
// The preview on a high-density screen (QT_SCALE_FACTOR=2): the picture has the screen's
// pixels, is shown one to one, and is keyed see-through on them.
#include <QApplication>
#include <QCheckBox>
#include <QTest>

#include "app/SampleView.h"
#include "tests/app/WindowHarness.h"

class HiDpiTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { SubstituteWindowFonts(); }

  void ThePreviewHasTheScreensPixels() {
    WindowHarness window;
    TMainForm& form = *window.form;
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.devicePixelRatioF(), 2.0);
    const TColor colours[4] = {MakeColour(0, 0, 255), MakeColour(255, 0, 0),
                               MakeColour(255, 255, 0), MakeColour(0, 255, 0)};
    for (int slot = 0; slot < 4; ++slot) {
      form.SetPaletteColour(slot, colours[slot]);
      form.Sup().SetMapIndex(slot, slot);
    }
    form.RenderSample();
    SampleView& view = *form.Preview().SampleImage;
    const QImage picture = view.Picture();
    QCOMPARE(picture.size(), QSize(1682, 178));
    QCOMPARE(picture.devicePixelRatio(), 2.0);
    QCOMPARE(ColoursOf(picture).size(), 4);

    // The widget shows the picture pixel for pixel.
    QCoreApplication::processEvents();
    QImage shown = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), picture.size());
    shown.setDevicePixelRatio(picture.devicePixelRatio());
    QCOMPARE(shown, picture);

    // See-through: every background pixel shows the face colour, every other stays.
    form.Preview().TransBackground->click();
    const QImage keyed = view.Displayed();
    const QRgb face = view.palette().color(QPalette::Window).rgb() & 0xFFFFFF;
    QCOMPARE(keyed.size(), picture.size());
    QCOMPARE(CountColour(keyed, face), CountColour(picture, Rgb(colours[0])));
    QCOMPARE(CountColour(keyed, Rgb(colours[2])), CountColour(picture, Rgb(colours[2])));
  }
};

int main(int argc, char* argv[]) {
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication application(argc, argv);
  HiDpiTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "HiDpiTest.moc"
