#pragma once

#include <QWidget>

// For the destructor of a widget whose children's signals reach its own handlers: once the widget
// is being destroyed, a line edit that loses the focus says that its editing finished, and so on;
// nothing its children say any more reaches the handlers of a widget half gone.
inline void silenceChildren(QWidget &widget) {
    for (QWidget *child : widget.findChildren<QWidget *>())
        child->blockSignals(true);
}
