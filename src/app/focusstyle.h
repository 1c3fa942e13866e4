#pragma once

#include <QProxyStyle>

// The platform's style, with the keyboard focus drawn as a clear two-pixel frame in the
// highlight colour on every control (buttons, check box, lists, text areas), so that a keyboard
// user always sees where the next key goes.
class FocusStyle : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
};
