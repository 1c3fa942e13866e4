#pragma once

#include <QFont>
#include <QFontMetrics>

// Whether the platform has a font with letters: Qt's offscreen platform on Windows has none and
// draws a box for each character, so what depends on the width of texts cannot be judged there.
inline bool lettersAreDrawn() {
    return QFontMetrics(QFont()).inFont(QLatin1Char('V'));
}
