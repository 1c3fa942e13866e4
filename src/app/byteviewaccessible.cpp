#include "app/byteviewaccessible.h"

#include "app/byteview.h"

#include <QTextBlock>
#include <QTextCursor>

ByteViewAccessible::ByteViewAccessible(ByteView *view)
    : QAccessibleWidget(view, QAccessible::EditableText) {
}

void ByteViewAccessible::install() {
    QAccessible::installFactory([](const QString &, QObject *object) -> QAccessibleInterface * {
        if (auto *view = qobject_cast<ByteView *>(object)) return new ByteViewAccessible(view);
        return nullptr;
    });
}

ByteView *ByteViewAccessible::view() const {
    return static_cast<ByteView *>(widget());
}

QString ByteViewAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Value) return text(0, characterCount());
    return QAccessibleWidget::text(t);
}

QAccessible::State ByteViewAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.multiLine = true;
    state.selectableText = true;
    if (view()->isReadOnly())
        state.readOnly = true;
    else
        state.editable = true;
    return state;
}

void *ByteViewAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString ByteViewAccessible::text(int startOffset, int endOffset) const {
    QTextCursor cursor(view()->document());
    cursor.setPosition(qBound(0, startOffset, characterCount()));
    cursor.setPosition(qBound(0, endOffset, characterCount()), QTextCursor::KeepAnchor);
    QString text = cursor.selectedText();
    for (QChar &c : text) {
        if (c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = u'\n';
        else if (c == u'\u200B')
            c = u'\r';
    }
    return text;
}

int ByteViewAccessible::characterCount() const {
    return view()->document()->characterCount() - 1; // without the document's own last end
}

void ByteViewAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const {
    const QTextCursor cursor = view()->textCursor();
    const bool any = selectionIndex == 0 && cursor.hasSelection();
    *startOffset = any ? cursor.selectionStart() : 0;
    *endOffset = any ? cursor.selectionEnd() : 0;
}

int ByteViewAccessible::selectionCount() const {
    return view()->textCursor().hasSelection() ? 1 : 0;
}

void ByteViewAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void ByteViewAccessible::removeSelection(int) {
    QTextCursor cursor = view()->textCursor();
    cursor.clearSelection();
    view()->setTextCursor(cursor);
}

void ByteViewAccessible::setSelection(int, int startOffset, int endOffset) {
    QTextCursor cursor = view()->textCursor();
    cursor.setPosition(qBound(0, startOffset, characterCount()));
    cursor.setPosition(qBound(0, endOffset, characterCount()), QTextCursor::KeepAnchor);
    view()->setTextCursor(cursor);
}

int ByteViewAccessible::cursorPosition() const {
    return view()->textCursor().position();
}

void ByteViewAccessible::setCursorPosition(int position) {
    QTextCursor cursor = view()->textCursor();
    cursor.setPosition(qBound(0, position, characterCount()));
    view()->setTextCursor(cursor);
}

QRect ByteViewAccessible::characterRect(int offset) const {
    QTextCursor cursor(view()->document());
    cursor.setPosition(qBound(0, offset, characterCount()));
    const QRect rect = view()->cursorRect(cursor);
    return QRect(view()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
}

int ByteViewAccessible::offsetAtPoint(const QPoint &point) const {
    return view()->cursorForPosition(view()->viewport()->mapFromGlobal(point)).position();
}

void ByteViewAccessible::scrollToSubstring(int startIndex, int) {
    QTextCursor cursor(view()->document());
    cursor.setPosition(qBound(0, startIndex, characterCount()));
    view()->setTextCursor(cursor);
    view()->ensureCursorVisible();
}

QString ByteViewAccessible::attributes(int offset, int *startOffset, int *endOffset) const {
    *startOffset = offset;
    *endOffset = offset;
    return {};
}
