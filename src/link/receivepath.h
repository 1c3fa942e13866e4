#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <chrono>

class Transport;

// The path from the serial port to the two receive texts. The receive event only starts the
// one-shot Timer2; its tick, 100 ms later, takes everything the port holds as the new
// `LatestChunk` (the text of Text2), so one burst of the board gives one chunk. Each change of
// `LatestChunk` reaches `ReceiveBuffer` (the text of Text1): copied while ReplaceFlag is set,
// appended while AppendFlag is set.
//
// Both texts are bytes, one byte per character, whatever their value. The widgets only show them.
class ReceivePath : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kTickInterval{100};
    static constexpr int kReceiveEvent = 2;

    explicit ReceivePath(Transport &transport, QObject *parent = nullptr);

    const QByteArray &latestChunk() const { return m_latest; }
    const QByteArray &receiveBuffer() const { return m_buffer; }

    // Setting a text runs its change reaction at once, inside the call.
    void setLatestChunk(const QByteArray &text);
    void setReceiveBuffer(const QByteArray &text);

    bool ReplaceFlag = false;
    bool AppendFlag = false;

    QTimer &timer2() { return m_timer2; }

    // The serial port's event: a receive event (code 2) switches Timer2 on; others are ignored.
    void MSComm1_OnComm(int commEvent);
    // Takes everything the port holds as the new LatestChunk. The tick never opens the port: a
    // port closed by the user, or lost, stays closed until "Connexion" or an operation opens it.
    void Timer2_Timer();
    void Text2_Change();

signals:
    void latestChunkChanged();
    // Bytes taken from the port, just before they become the new LatestChunk: what the board sent,
    // as opposed to texts the program itself puts in Text2.
    void chunkReceived(const QByteArray &chunk);
    // The whole of ReceiveBuffer was replaced.
    void receiveBufferReset();
    // `added` was appended at the end of ReceiveBuffer.
    void receiveBufferAppended(const QByteArray &added);

private:
    Transport &m_transport;
    QTimer m_timer2;
    QByteArray m_latest;
    QByteArray m_buffer;
};
