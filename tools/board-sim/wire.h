#pragma once

#include "pseudoterminal.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QTimer>

#include <chrono>

class QSocketNotifier;

// The board's serial line, on the master side of a pseudo-terminal. Sending queues bytes that
// leave at the line's rate (9600 baud carries about 960 bytes a second); received bytes are passed
// on as they come and, on request, written to a log with the time they arrived.
class Wire : public QObject {
    Q_OBJECT
public:
    // lineRate in bytes per second; 0 sends whatever is queued at once.
    explicit Wire(int lineRate, QObject *parent = nullptr);

    bool open(QString *error);
    QString devicePath() const { return m_terminal.slavePath(); }
    bool startLog(const QString &path, QString *error);

    void send(const QByteArray &bytes);
    // Nothing is waiting to go out.
    bool isIdle() const { return m_outgoing.isEmpty(); }

    // Bytes already sent that the program has not read yet, and throwing them away.
    int unread() const { return m_terminal.pendingOnSlave(); }
    void discardUnread() { m_terminal.discardPendingOnSlave(); }

signals:
    void received(const QByteArray &bytes);
    // Everything queued has gone out.
    void drained();

private:
    void readIncoming();
    void transmit();
    void logIncoming(const QByteArray &bytes);

    PseudoTerminal m_terminal;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr; // armed while the line's buffer is full
    QTimer m_pace;
    QElapsedTimer m_clock; // since the line opened: times the pacing and the log lines
    int m_lineRate = 0;
    double m_credit = 0; // bytes the line could have carried since the last write
    qint64 m_lastPaceMs = 0;
    QByteArray m_outgoing;
    QFile m_log;
};
