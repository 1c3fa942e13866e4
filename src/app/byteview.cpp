#include "app/byteview.h"

#include <QMimeData>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTextCursor>
#include <QTimer>

#include <algorithm>
#include <array>
#include <tuple>

namespace {

// A text area sets its scroll bars' range, steps and value again at every change of its text,
// and a scroll bar repaints at each of these calls. This one repaints only when it would look
// different: where its handle is, and whether it stands at either end. While held, through a
// change of text and the scrolling that follows it, it decides once, when released: a view
// that grows a few lines ten times a second mostly ends where it started on screen (a long
// text's handle is already at its shortest, at the bottom).
class QuietScrollBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;

    void hold() { ++m_held; }
    void release() {
        if (--m_held == 0) repaintIfChanged();
    }

protected:
    // What is painted is what is on screen, whatever asked for the paint (a resize, the window).
    void paintEvent(QPaintEvent *event) override {
        m_look = look();
        QScrollBar::paintEvent(event);
    }
    void sliderChange(SliderChange change) override {
        if (change == SliderOrientationChange) {
            m_look = look();
            QScrollBar::sliderChange(change);
        } else if (m_held == 0) {
            repaintIfChanged();
        }
    }

private:
    using Look = std::tuple<QRect, bool, bool>;

    Look look() const {
        QStyleOptionSlider option;
        initStyleOption(&option);
        const QRect handle = style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                     QStyle::SC_ScrollBarSlider, this);
        return {handle, value() == minimum(), value() == maximum()};
    }
    void repaintIfChanged() {
        const Look now = look();
        if (now == m_look) return;
        m_look = now;
        update();
    }

    Look m_look{};
    int m_held = 0;
};

// Holds a view's scroll bars for as long as it lives.
class HeldScrollBars {
public:
    explicit HeldScrollBars(const QAbstractScrollArea &view)
        : m_bars{dynamic_cast<QuietScrollBar *>(view.verticalScrollBar()),
                 dynamic_cast<QuietScrollBar *>(view.horizontalScrollBar())} {
        for (QuietScrollBar *bar : m_bars)
            if (bar) bar->hold();
    }
    ~HeldScrollBars() {
        for (QuietScrollBar *bar : m_bars)
            if (bar) bar->release();
    }
    HeldScrollBars(const HeldScrollBars &) = delete;
    HeldScrollBars &operator=(const HeldScrollBars &) = delete;

private:
    std::array<QuietScrollBar *, 2> m_bars;
};

} // namespace

ByteView::ByteView(QWidget *parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    shapeLatinWithoutRules();
    setVerticalScrollBar(new QuietScrollBar(Qt::Vertical, this));
    setHorizontalScrollBar(new QuietScrollBar(Qt::Horizontal, this));
    // Both scroll bars always show, so a new range never changes the area's layout; yet the
    // area lays itself out again after each one, raising its scroll bars, which repaints them and
    // everything behind them at every line a stream adds.
    for (const QScrollBar *bar : {verticalScrollBar(), horizontalScrollBar()})
        disconnect(bar, SIGNAL(rangeChanged(int, int)), this, SLOT(_q_showOrHideScrollBars()));
}

// Board bytes are Latin-1, which needs none of the shaping rules of complex scripts; skipping
// them makes laying out and painting a line a fifth cheaper. The widget's font stays as set.
void ByteView::shapeLatinWithoutRules() {
    QFont font = document()->defaultFont();
    if (font.styleStrategy() & QFont::PreferNoShaping) return;
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
    document()->setDefaultFont(font);
}

void ByteView::changeEvent(QEvent *event) {
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange) shapeLatinWithoutRules();
}

QString ByteView::displayText(const QByteArray &bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const auto byte = uchar(bytes[i]);
        char16_t shown = byte;
        if (byte == '\n') {
            shown = ++m_linesInBlock < kLinesPerBlock ? u'\u2028' : u'\n';
            if (shown == u'\n') m_linesInBlock = 0;
        } else if (byte == '\r') {
            const bool pairedWithLineFeed = i + 1 == size || bytes[i + 1] == '\n';
            shown = pairedWithLineFeed ? u'\u200B' : u'\u2028';
        } else if (byte == '\t') {
            shown = byte;
        } else if (byte < 0x20) {
            shown = char16_t(0x2400 + byte);
        } else if (byte == 0x7F) {
            shown = u'\u2421';
        } else if (byte >= 0x80 && byte < 0xA0) {
            shown = u'\uFFFD';
        }
        out[i] = QChar(shown);
    }
    return text;
}

void ByteView::showBytes(const QByteArray &bytes) {
    const HeldScrollBars held(*this);
    m_linesInBlock = 0;
    m_pending = bytes;
    m_pendingFrom = m_streaming ? std::min(kSlice, bytes.size()) : bytes.size();
    if (m_streaming)
        replaceText(displayText(bytes.first(m_pendingFrom)));
    else
        setPlainText(displayText(bytes.first(m_pendingFrom)));
    if (showsAllHandedIn()) return;
    if (!m_sliceScheduled) {
        m_sliceScheduled = true;
        QTimer::singleShot(0, this, &ByteView::showNextSlice);
    }
}

void ByteView::replaceText(const QString &text) {
    // Text inserted into an empty document would carry the caret to its end.
    if (document()->isEmpty() || textCursor().position() != 0 || textCursor().hasSelection()) {
        setPlainText(text);
        return;
    }
    const int shown = document()->characterCount() - 1;
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    cursor.setPosition(0);
    cursor.setPosition(shown, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    cursor.endEditBlock();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

bool ByteView::showsAllHandedIn() {
    if (m_pendingFrom < m_pending.size()) return false;
    m_pending.clear();
    m_pendingFrom = 0;
    return true;
}

void ByteView::appendBytes(const QByteArray &bytes) {
    m_pending.append(bytes);
    if (!m_sliceScheduled) showNextSlice();
}

void ByteView::showNextSlice() {
    m_sliceScheduled = false;
    const qsizetype size = std::min(kSlice, m_pending.size() - m_pendingFrom);
    if (size <= 0) {
        showsAllHandedIn();
        return;
    }
    const HeldScrollBars held(*this);
    const QTextCursor caret = textCursor();
    const bool followEnd = !caret.hasSelection() && caret.atEnd();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    // What is added ends a text block at its last line end, so that its unfinished last line
    // starts a block of its own: the text area then repaints that block and the one the addition
    // completed, where a longer last block would have it repaint everything.
    const QByteArray added = m_pending.mid(m_pendingFrom, size);
    const int lineEnds = int(added.count('\n') % kLinesPerBlock);
    m_linesInBlock = (kLinesPerBlock - lineEnds) % kLinesPerBlock;
    cursor.insertText(displayText(added));
    m_pendingFrom += size;
    if (followEnd) moveCaretToEnd();
    if (!showsAllHandedIn()) {
        m_sliceScheduled = true;
        QTimer::singleShot(0, this, &ByteView::showNextSlice);
    }
}

void ByteView::moveCaretToEnd() {
    QTextCursor cursor = textCursor();
    // Text added at the caret carries it along: bringing it into view is all that is left.
    if (cursor.atEnd() && !cursor.hasSelection()) return ensureCursorVisible();
    cursor.movePosition(QTextCursor::End);
    setTextCursor(cursor);
}

QMimeData *ByteView::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    if (!m_source || m_source->size() != document()->characterCount() - 1)
        return QPlainTextEdit::createMimeDataFromSelection();
    auto *data = new QMimeData;
    data->setText(QString::fromLatin1(
        m_source->mid(cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart())));
    return data;
}
