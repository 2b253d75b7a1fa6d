// SPDX-License-Identifier: GPL-3.0-or-later
// The window's shared look: title, fonts, widget colours and the builders of its plain controls.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>

#include "core/Colour.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// The window's title once shown (the progress window shows it too), and the caption it is
// built with.
inline constexpr const char* kProgramTitle = "VELMORAN a4.04";
inline constexpr const char* kBuiltCaption = "Velmoran";

// The font of both windows: "Fixedsys" at a character height of 12 pixels.
inline constexpr const char* kWindowFontName = "Fixedsys";
inline constexpr int kWindowFontPixels = 12;
QFont WindowFont();

// Maps the fonts the window names ("Fixedsys", "Arial", "System") to installed look-alikes.
void SubstituteWindowFonts();

// A TColor (0x00BBGGRR) as Qt's colour, and back.
inline QColor WidgetColour(TColor colour) {
  return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}
inline TColor ColourOf(const QColor& colour) {
  return MakeColour(colour.red(), colour.green(), colour.blue());
}

// "00" to "15": palette entry numbers as the grid and the IFO tab show them.
QString TwoDigits(int number);

// Sizes shared by the pages.
inline constexpr int kEditHeight = 24;
inline constexpr int kButtonWidth = 97;
inline constexpr int kButtonHeight = 33;
inline constexpr int kButtonTop = 256;  // the row of buttons on each file tab

QLabel* MakeLabel(QWidget* parent, const QString& text, QRect bounds,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);
QLineEdit* MakeEdit(QWidget* parent, QRect bounds, const QString& text, bool readOnly,
                    bool enabled = true);
// A button of the file tabs' row: 97 x 33 at (left, 256).
QPushButton* MakeButton(QWidget* parent, const QString& caption, int left);
QComboBox* MakeList(QWidget* parent, QRect bounds, const QStringList& items, int chosen);
QFrame* MakeBevel(QWidget* parent, QRect bounds, bool raised);
// A control whose background is the window's face colour.
void UseFaceColour(QWidget* widget);
// A read-only note: disabled, yet it reads in black on the face colour.
QPlainTextEdit* MakeNote(QWidget* parent, QRect bounds, const QStringList& lines);
