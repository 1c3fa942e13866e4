#pragma once

#include <QAccessibleWidget>

class ByteView;

// What assistive technology reads of a receive area: the lines it shows, with real line breaks.
// The view draws a CR LF end as an invisible zero-width mark followed by a line separator, and
// groups lines into blocks; read as they are, a screen reader would spell out those characters.
// Here every shown character keeps its offset (so the caret and selections stay where they are)
// but the line separators and block ends read as LF, and the mark of a CR as CR.
class ByteViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ByteViewAccessible(ByteView *view);

    // Gives assistive technology this interface for every ByteView.
    static void install();

    QString text(QAccessible::Text t) const override;
    // A read-only multi-line text area, as Qt gives any: multi-line, read-only, selectable text,
    // focusable.
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

private:
    ByteView *view() const;
};
