// SPDX-License-Identifier: GPL-3.0-or-later
// The sample preview: which colours the picture holds for each mapping and width, where the
// text starts, the drawing at twice the pixel ratio, the see-through display, and when the
// preview's handlers draw and save.
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <functional>
#include <vector>

#include "app/PreviewPanel.h"
#include "app/SampleView.h"
#include "tests/app/WindowHarness.h"

namespace {

constexpr TColor kRed = MakeColour(255, 0, 0);
constexpr TColor kGreen = MakeColour(0, 255, 0);
constexpr TColor kBlue = MakeColour(0, 0, 255);
constexpr TColor kYellow = MakeColour(255, 255, 0);

// Entries 0-3 in four distinct colours and the lists on 0 (background), 1, 2, 3.
void UseFourColours(TMainForm& form) {
  form.SetPaletteColour(0, kBlue);
  form.SetPaletteColour(1, kRed);
  form.SetPaletteColour(2, kYellow);
  form.SetPaletteColour(3, kGreen);
  for (int slot = 0; slot < 4; ++slot) form.Sup().SetMapIndex(slot, slot);
}

QImage Render(TMainForm& form) {
  form.RenderSample();
  return form.Preview().SampleImage->Picture().copy();
}

// Bounds of the pixels that differ from the bottom left pixel.
QRect InkBounds(const QImage& image) {
  const QRgb background = image.pixel(0, image.height() - 1);
  QRect bounds;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) != background) bounds |= QRect(x, y, 1, 1);
  return bounds;
}

}  // namespace

class PreviewTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { SubstituteWindowFonts(); }

  void WithNoPaletteThePictureIsBlackAndCanBeAllSeeThrough() {
    WindowHarness window;
    TMainForm& form = *window.form;
    const QImage& picture = form.Preview().SampleImage->Picture();
    QCOMPARE(picture.size(), QSize(841, 89));
    QCOMPARE(ColoursOf(picture), QSet<QRgb>{0x000000});
    form.Preview().TransBackground->click();
    const QRgb face =
        form.Preview().SampleImage->palette().color(QPalette::Window).rgb() & 0xFFFFFF;
    QCOMPARE(ColoursOf(form.Preview().SampleImage->Displayed()), QSet<QRgb>{face});
  }

  void EveryPixelIsOneOfTheFourSlotColours() {
    WindowHarness window;
    TMainForm& form = *window.form;
    UseFourColours(form);
    const QImage picture = Render(form);  // outline 7, antialias 1
    QCOMPARE(ColoursOf(picture),
             (QSet<QRgb>{Rgb(kBlue), Rgb(kRed), Rgb(kYellow), Rgb(kGreen)}));
    // The outline band is wider than the one-pixel edge line.
    QVERIFY(CountColour(picture, Rgb(kRed)) > CountColour(picture, Rgb(kGreen)));

    // A bold or italic font draws too, still with slot colours only.
    form.Preview().SampleTextFontDialog.font.bold = true;
    form.Preview().SampleTextFontDialog.font.italic = true;
    QCOMPARE(ColoursOf(Render(form)).size(), 4);
  }

  void WidthsOfZeroLeaveTheirLinesOut() {
    WindowHarness window;
    TMainForm& form = *window.form;
    UseFourColours(form);
    form.Preview().OutlineWidth->setValue(0);
    QCOMPARE(ColoursOf(Render(form)), (QSet<QRgb>{Rgb(kBlue), Rgb(kYellow), Rgb(kGreen)}));
    form.Preview().OutlineWidth->setValue(5);
    form.Preview().AntialiasWidth->setValue(0);
    QCOMPARE(ColoursOf(Render(form)), (QSet<QRgb>{Rgb(kBlue), Rgb(kRed), Rgb(kYellow)}));
    form.Preview().OutlineWidth->setValue(0);
    QCOMPARE(ColoursOf(Render(form)), (QSet<QRgb>{Rgb(kBlue), Rgb(kYellow)}));
  }

  void EqualWidthsHideTheOutlineColour() {
    WindowHarness window;
    TMainForm& form = *window.form;
    UseFourColours(form);
    for (int width : {1, 3, 10}) {
      form.Preview().OutlineWidth->setValue(width);
      form.Preview().AntialiasWidth->setValue(width);
      const QImage picture = Render(form);
      QCOMPARE(CountColour(picture, Rgb(kRed)), 0);
      QVERIFY(CountColour(picture, Rgb(kGreen)) > 0);
    }
  }

  void TextOnTheBackgroundColourLeavesOnlyTheLines() {
    WindowHarness window;
    TMainForm& form = *window.form;
    UseFourColours(form);
    form.Sup().SetMapIndex(2, 0);
    QCOMPARE(ColoursOf(Render(form)), (QSet<QRgb>{Rgb(kBlue), Rgb(kRed), Rgb(kGreen)}));
  }

  void IntensitiesNeverChangeThePicture() {
    WindowHarness window;
    TMainForm& form = *window.form;
    UseFourColours(form);
    const QImage before = Render(form);
    for (int slot = 0; slot < 4; ++slot) PickItem(form.Sup().IntLists[slot], 15 - 3 * slot);
    QCOMPARE(Render(form), before);
  }

  void TextStartsAtTenTenAndIsCutAtTheRightEdge() {
    WindowHarness window;
    TMainForm& form = *window.form;
    UseFourColours(form);
    form.Preview().OutlineWidth->setValue(0);
    form.Preview().AntialiasWidth->setValue(0);
    form.Preview().SampleText->setText("H");
    const QRect ink = InkBounds(Render(form));
    QVERIFY2(ink.left() >= 10 && ink.left() <= 14, qPrintable(QString::number(ink.left())));
    // The cell's top is at 10; the capital's top lies a little below it.
    QVERIFY2(ink.top() >= 10 && ink.top() <= 22, qPrintable(QString::number(ink.top())));
    QVERIFY(ink.bottom() < 10 + 37 + 4);

    form.Preview().SampleText->setText(QString(200, 'W'));
    const QImage longText = Render(form);
    QCOMPARE(InkBounds(longText).right(), 840);
    QCOMPARE(longText.size(), QSize(841, 89));

    form.Preview().SampleText->clear();
    QCOMPARE(ColoursOf(Render(form)), QSet<QRgb>{Rgb(kBlue)});
  }

  // Without a window: the same sample on a plain picture and on one of twice the pixel ratio.
  void AtTwiceThePixelRatioTheSampleIsDrawnFinerNotEnlarged() {
    const std::array<TColor, 16> palette{kBlue, kRed, kYellow, kGreen};
    const std::array<int, 4> entries{0, 1, 2, 3};
    const QFont font = SampleQFont(FontSetting{"Arial", 28, false, false});
    const QString text = "The Quick Brown Fox";
    QImage one(841, 89, QImage::Format_RGB32);
    DrawSample(one, palette, entries, SampleWidths{7, 1}, font, text);
    QImage two(1682, 178, QImage::Format_RGB32);
    two.setDevicePixelRatio(2);
    DrawSample(two, palette, entries, SampleWidths{7, 1}, font, text);

    const QSet<QRgb> slotColours{Rgb(kBlue), Rgb(kRed), Rgb(kYellow), Rgb(kGreen)};
    QCOMPARE(ColoursOf(one), slotColours);
    QCOMPARE(ColoursOf(two), slotColours);
    // The same layout at twice the place, to a pixel or two.
    const QRect inkOne = InkBounds(one);
    const QRect inkTwo = InkBounds(two);
    for (const auto& [fine, coarse] : {std::pair{inkTwo.left(), inkOne.left()},
                                       std::pair{inkTwo.top(), inkOne.top()},
                                       std::pair{inkTwo.right(), inkOne.right()},
                                       std::pair{inkTwo.bottom(), inkOne.bottom()}})
      QVERIFY2(std::abs(fine - 2 * coarse) <= 3, qPrintable(QString("%1 %2").arg(fine).arg(coarse)));
    // An enlarged picture would be made of uniform 2 x 2 blocks; the finer one is not.
    int mixedBlocks = 0;
    for (int y = 0; y < two.height(); y += 2)
      for (int x = 0; x < two.width(); x += 2) {
        const QRgb corner = two.pixel(x, y);
        if (two.pixel(x + 1, y) != corner || two.pixel(x, y + 1) != corner ||
            two.pixel(x + 1, y + 1) != corner)
          ++mixedBlocks;
      }
    QVERIFY2(mixedBlocks > 200, qPrintable(QString::number(mixedBlocks)));
  }

  void EveryRedrawIsPixelForPixelTheDirectDrawing() {
    WindowHarness window;
    TMainForm& form = *window.form;
    UseFourColours(form);
    PreviewPanel& preview = form.Preview();
    const auto direct = [&] {
      QImage image(841, 89, QImage::Format_RGB32);
      DrawSample(image, form.Palette(), form.Sup().Slots(),
                 SampleWidths{preview.OutlineWidth->value(), preview.AntialiasWidth->value()},
                 SampleQFont(preview.SampleFontSetting()), preview.SampleText->text());
      return image;
    };
    const std::vector<std::function<void()>> changes = {
        [] {},
        [&] { form.SetPaletteColour(2, kRed); },  // two slots in one colour
        [&] { preview.SampleText->setText("Other words"); },
        [&] { form.SetPaletteColour(1, kGreen); },
        [&] { preview.OutlineWidth->setValue(3); },
        [&] { preview.SetSampleFont(FontSetting{"Arial", 14, true, true}); },
        [&] { preview.SampleText->setText(""); },
    };
    for (std::size_t i = 0; i < changes.size(); ++i) {
      changes[i]();
      QVERIFY2(Render(form) == direct(), qPrintable(QString("change %1").arg(i)));
    }
  }

  void FontSizeInPointsDrawsAtNinetySixDotsPerInch() {
    QCOMPARE(SamplePixelSize(28), 37);
    QCOMPARE(SamplePixelSize(24), 32);
    QCOMPARE(SamplePixelSize(0), 37);
    QCOMPARE(SamplePixelSize(-5), 37);
    QVERIFY(SamplePixelSize(1 << 30) <= 2000);
    const FontSetting back = FontSettingOf(QFont("Arial", 28, QFont::Bold, true));
    QCOMPARE(back.size, 28);
    QVERIFY(back.bold && back.italic);

    WindowHarness window;
    TMainForm& form = *window.form;
    UseFourColours(form);
    form.Preview().OutlineWidth->setValue(0);
    form.Preview().AntialiasWidth->setValue(0);
    form.Preview().SampleText->setText("H");
    const int at28 = InkBounds(Render(form)).height();
    form.Preview().SampleTextFontDialog.font.size = 14;
    const int at14 = InkBounds(Render(form)).height();
    QVERIFY2(at14 * 2 >= at28 - 2 && at14 * 2 <= at28 + 2,
             qPrintable(QString("%1 %2").arg(at14).arg(at28)));
  }

  void SeeThroughFollowsTheBoxWithoutRedrawing() {
    WindowHarness window;
    TMainForm& form = *window.form;
    UseFourColours(form);
    const QImage picture = Render(form);
    // A palette change not yet drawn: the box must not draw it.
    form.SetPaletteColour(2, MakeColour(255, 0, 255));
    form.Preview().TransBackground->click();
    QVERIFY(form.Preview().SampleImage->Transparent());
    QCOMPARE(form.Preview().SampleImage->Picture(), picture);
    QCOMPARE(IniValues(window.IniPath()).at("GeneralSettings/BackGround"), std::string("1"));
    const QImage shown = form.Preview().SampleImage->Displayed();
    const QRgb face =
        form.Preview().SampleImage->palette().color(QPalette::Window).rgb() & 0xFFFFFF;
    QCOMPARE(CountColour(shown, Rgb(kBlue)), 0);
    QCOMPARE(CountColour(shown, face), CountColour(picture, Rgb(kBlue)));
    QCOMPARE(CountColour(shown, Rgb(kYellow)), CountColour(picture, Rgb(kYellow)));

    // The next drawing keeps the mode.
    form.Preview().OutlineWidth->setValue(3);
    QVERIFY(form.Preview().SampleImage->Transparent());
    QCOMPARE(CountColour(form.Preview().SampleImage->Displayed(), Rgb(kBlue)), 0);
    form.Preview().TransBackground->click();
    QVERIFY(CountColour(form.Preview().SampleImage->Displayed(), Rgb(kBlue)) > 0);
  }

  void PreviewHandlersDrawAndSave() {
    WindowHarness window;
    TMainForm& form = *window.form;
    UseFourColours(form);
    const QImage stale =
        form.Preview().SampleImage->Picture().copy();  // drawn with the black palette
    form.Preview().OutlineWidth->setValue(6);
    QVERIFY(form.Preview().SampleImage->Picture() != stale);
    QCOMPARE(IniValues(window.IniPath()).at("GeneralSettings/Outline"), std::string("6"));

    form.SetPaletteColour(0, kRed);
    form.Preview().SampleText->end(false);
    QTest::keyClick(form.Preview().SampleText, Qt::Key_Exclam);
    QCOMPARE(form.Preview().SampleImage->Picture().pixel(0, 88) & 0xFFFFFF, Rgb(kRed));
    QCOMPARE(IniValues(window.IniPath()).at("GeneralSettings/SampleText"),
             std::string("The Quick Brown Fox jumps over the Lazy Dog!!"));
  }

  void FontDialogDrawsAndSavesOnlyWhenConfirmed() {
    WindowHarness window;
    TMainForm& form = *window.form;
    UseFourColours(form);
    std::remove(window.IniPath().c_str());

    form.Preview().SampleFont->click();  // nothing queued: cancelled
    QCOMPARE(window.dialogs.fontRuns, 1);
    QCOMPARE(window.dialogs.lastFont.family(), QString("Arial"));
    QCOMPARE(window.dialogs.lastFont.pointSize(), 28);
    QVERIFY(!FileExists(window.IniPath()));
    QCOMPARE(ColoursOf(form.Preview().SampleImage->Picture()), QSet<QRgb>{0x000000});

    // Confirming the same font draws and saves all the same, also with events off.
    form.SetEventsEnabled(false);
    window.dialogs.fontAnswers.push_back(window.dialogs.lastFont);
    form.Preview().SampleFont->click();
    QVERIFY(FileExists(window.IniPath()));
    QCOMPARE(ColoursOf(form.Preview().SampleImage->Picture()).size(), 4);
    form.SetEventsEnabled(true);

    // A family drawn through a substitute: OK on the substitute the dialog opened with keeps
    // the font, the picture and the file; a property really picked is taken.
    form.Preview().SampleTextFontDialog.font.name = "Velmoran Missing Face";
    form.IniSettings().SaveSettings();
    const std::string saved = ReadText(window.IniPath());
    const QImage drawn = Render(form);
    QFont substitute(QFontInfo(QFont("Velmoran Missing Face")).family(), 28);
    window.dialogs.fontAnswers.push_back(substitute);
    form.Preview().SampleFont->click();
    QCOMPARE(ReadText(window.IniPath()), saved);
    QCOMPARE(form.Preview().SampleImage->Picture(), drawn);
    substitute.setBold(true);
    window.dialogs.fontAnswers.push_back(substitute);
    form.Preview().SampleFont->click();
    QCOMPARE(form.Preview().SampleTextFontDialog.font.name, std::string("Velmoran Missing Face"));
    QVERIFY(form.Preview().SampleTextFontDialog.font.bold);

    QFont chosen("DejaVu Serif", 20);
    chosen.setItalic(true);
    window.dialogs.fontAnswers.push_back(chosen);
    form.Preview().SampleFont->click();
    const auto ini = IniValues(window.IniPath());
    QCOMPARE(ini.at("GeneralSettings/FontName"), std::string("DejaVu Serif"));
    QCOMPARE(ini.at("GeneralSettings/FontSize"), std::string("20"));
    QCOMPARE(ini.at("GeneralSettings/FontItal"), std::string("1"));
    QCOMPARE(ini.at("GeneralSettings/FontBold"), std::string("0"));
  }
};

QTEST_MAIN(PreviewTest)
#include "PreviewTest.moc"
