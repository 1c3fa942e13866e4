#pragma once

#include <QByteArray>
#include <QPlainTextEdit>

// A read-only text area that shows board bytes. The bytes themselves live elsewhere (the receive
// path); the view maps each byte to exactly one character so that a caret position is a byte
// offset: LF breaks the line, the CR of a CR LF pair is an invisible zero-width character, other
// control bytes show as their control pictures (NUL as "␀"), 0x80–0xFF as Latin-1.
class ByteView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ByteView(QWidget *parent = nullptr);

    void showBytes(const QByteArray &bytes);
    // Adds at the end in time proportional to `bytes`, whatever is shown already.
    void appendBytes(const QByteArray &bytes);
    void moveCaretToEnd();

    static QString displayText(const QByteArray &bytes);
};
