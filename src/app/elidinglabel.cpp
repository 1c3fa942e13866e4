#include "app/elidinglabel.h"

#include <QPainter>
#include <QTextLayout>

ElidingLabel::ElidingLabel(const QString &text, int lines, QWidget *parent)
    : QLabel(text, parent), m_lines(lines) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

QSize ElidingLabel::sizeHint() const {
    const QMargins margins = contentsMargins();
    return {fontMetrics().averageCharWidth() * 24 + margins.left() + margins.right(),
            fontMetrics().lineSpacing() * m_lines + margins.top() + margins.bottom()};
}

QSize ElidingLabel::minimumSizeHint() const {
    return sizeHint();
}

QStringList ElidingLabel::shownLines(bool *elided) const {
    if (elided) *elided = false;
    const int width = contentsRect().width();
    QString text = QLabel::text();
    text.replace(u'\n', QChar::LineSeparator);
    QTextLayout layout(text, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() == m_lines - 1) {
            // The last line takes the rest, elided when it does not fit.
            QString rest = text.mid(line.textStart());
            rest.replace(QChar::LineSeparator, u' ');
            lines << fontMetrics().elidedText(rest, Qt::ElideRight, width);
            if (elided) *elided = lines.last() != rest;
            break;
        }
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

void ElidingLabel::paintEvent(QPaintEvent *) {
    bool elided = false;
    const QStringList lines = shownLines(&elided);
    // The whole text is in the tip whenever part of it is not shown.
    setToolTip(elided ? text() : QString());
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const QRect room = contentsRect();
    const int spacing = fontMetrics().lineSpacing();
    for (qsizetype i = 0; i < lines.size(); ++i)
        painter.drawText(QRect(room.left(), room.top() + int(i) * spacing, room.width(), spacing),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, lines[i]);
}
