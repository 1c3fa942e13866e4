#pragma once

#include <QByteArray>
#include <QPlainTextEdit>

// A read-only text area that shows board bytes. The bytes themselves live elsewhere (the receive
// path); the view maps each byte to exactly one character, so that a caret position is a byte
// offset: LF ends the line, the CR of a CR LF pair is an invisible zero-width character, other
// control bytes show as their control pictures (NUL as "␀"), 0x80–0xFF as Latin-1.
//
// Lines are grouped by kLinesPerBlock into one text block (line separators inside a block): a
// text document pays per block, so a 10 MB recording opens in a fraction of a second instead of
// seconds. Copying gives the shown bytes themselves, not their display characters.
class ByteView : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int kLinesPerBlock = 16;

    explicit ByteView(QWidget *parent = nullptr);

    // The bytes this view shows, used for copying a selection; must outlive the view.
    void setSource(const QByteArray *bytes) { m_source = bytes; }

    // Shows `bytes` instead of what is shown, at once (a recording the user opens is laid out in
    // one go, the fastest way), or, for a view that follows a stream (setStreaming), beyond its
    // first kSlice bytes a slice per event-loop turn, so that the window keeps answering while
    // the board floods it; the bytes themselves are already in the buffer.
    void showBytes(const QByteArray &bytes);
    void setStreaming(bool streaming) { m_streaming = streaming; }
    // Adds at the end in time proportional to `bytes`, whatever is shown already; a large
    // addition is shown a slice per event-loop turn.
    void appendBytes(const QByteArray &bytes);
    // Whether every byte handed in is on screen (no slice waits for its turn).
    bool showsAll() const { return m_pending.isEmpty(); }
    static constexpr qsizetype kSlice = 64 * 1024;
    void moveCaretToEnd();

protected:
    QMimeData *createMimeDataFromSelection() const override;
    void changeEvent(QEvent *event) override;

private:
    void shapeLatinWithoutRules();
    QString displayText(const QByteArray &bytes);
    // Replaces the whole text in one edit, cheaper than a new document for a view that is
    // replaced ten times a second; the caret goes to the start, as with a new document.
    void replaceText(const QString &text);
    void showNextSlice();
    // True, and the pending bytes dropped, once every byte handed in is shown.
    bool showsAllHandedIn();

    const QByteArray *m_source = nullptr;
    int m_linesInBlock = 0;
    QByteArray m_pending; // added bytes not shown yet, from m_pendingFrom on
    qsizetype m_pendingFrom = 0;
    bool m_sliceScheduled = false;
    bool m_streaming = false;
};
