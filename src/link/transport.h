#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// The byte pipe to the board, as the receive path and the board dialogue see it. The program uses
// SerialTransport (a real serial port); nothing else in the link knows about the serial port class.
class Transport : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual bool isOpen() const = 0;
    // Opens the link; on failure it stays closed and problem() says why.
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual void setDataTerminalReady(bool on) = 0;
    // Sends the bytes in order after what was written before. Writing while closed sends nothing.
    virtual void write(const QByteArray &bytes) = 0;
    // Everything received since the last read; empties the receive side.
    virtual QByteArray readAll() = 0;

signals:
    // Bytes are waiting to be read.
    void received();
    // The link could not be opened, or was lost while open: a plain French sentence for the user.
    void problem(const QString &message);
    // The link is being lost while open (the adapter was pulled out). Emitted before the link
    // closes, while what it received can still be read; problem() follows once it is closed.
    void lost();
};
