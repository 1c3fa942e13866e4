#include "app/focusstyle.h"

#include <QPainter>
#include <QStyleOption>

void FocusStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                               QPainter *painter, const QWidget *widget) const {
    const bool focusFrame = element == PE_FrameFocusRect;
    const bool focusedPanel =
        (element == PE_Frame || element == PE_FrameLineEdit) && (option->state & State_HasFocus);
    if (!focusFrame) QProxyStyle::drawPrimitive(element, option, painter, widget);
    if (!focusFrame && !focusedPanel) return;
    painter->save();
    QPen pen(option->palette.color(QPalette::Highlight), 2);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QRectF(option->rect).adjusted(1, 1, -1, -1));
    painter->restore();
}
