#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal pair that stands in for a serial line: whoever opens the slave device (by its
// path) talks to whoever holds the master descriptor. Both ends are in raw mode, so every byte
// passes unchanged in both directions (no echo, no CR/LF translation, no special characters).
//
// The pair keeps a descriptor of its own on the slave side. Without it, the master reads EIO and
// reports a hang-up whenever the last outside user closes the slave, and a reopened slave could
// inherit a half-closed line. With it, the other side may open and close the device at will.
//
// The master descriptor is non-blocking and close-on-exec.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    // Opens a new pair; returns false and describes the failure in *error when it cannot.
    bool open(QString *error = nullptr);
    void close();
    bool isOpen() const { return m_master >= 0; }

    int masterDescriptor() const { return m_master; }
    // Full path of the slave device, e.g. "/dev/pts/3".
    QString slavePath() const { return m_slavePath; }

    // Writes as much of the data to the master as the line accepts now; returns the count written
    // (0 when the line is full), or -1 on error.
    qint64 write(const QByteArray &data);
    // Everything the slave side has written so far and the master has not read yet.
    QByteArray readAll();

    // Bytes written to the master that no one has read from the slave side yet.
    int pendingOnSlave() const;
    // Throws those bytes away, as a line that nobody listens to would lose them.
    void discardPendingOnSlave();
    // Holds what the slave side sends, as a far end that sent XOFF holds a serial line, or lets
    // it go again: while held, the slave side's writes take nothing and the master reads nothing.
    bool holdSlaveOutput(bool held);

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};
