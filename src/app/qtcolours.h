#pragma once

#include "link/colours.h"

#include <QColor>

namespace colours {

// The colour a widget shows for one of the window's colours; an invalid QColor for kButtonFace: the
// caller then keeps the style's own colour.
inline QColor toQColor(quint32 bgr) {
    if (bgr == kButtonFace) return {};
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

} // namespace colours
