#pragma once

#include <QLabel>

// A label of a fixed number of lines that never changes size with its text, so that nothing
// around it moves: the text wraps within its lines (at a blank where it can, anywhere in a long
// path), and what does not fit ends in "…", the whole text then being its tip. text() stays the
// whole text.
class ElidingLabel : public QLabel {
    Q_OBJECT
public:
    ElidingLabel(const QString &text, int lines, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // The lines shown at the label's present width, the last one elided when the text is longer
    // (`elided` then true).
    QStringList shownLines(bool *elided = nullptr) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_lines;
};
