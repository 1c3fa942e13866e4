#include "link/receivepath.h"

#include "link/transport.h"

ReceivePath::ReceivePath(Transport &transport, QObject *parent)
    : QObject(parent), m_transport(transport) {
    m_timer2.setObjectName(QStringLiteral("Timer2"));
    m_timer2.setInterval(kTickInterval);
    connect(&m_timer2, &QTimer::timeout, this, &ReceivePath::Timer2_Timer);
    connect(&m_transport, &Transport::received, this, [this] { MSComm1_OnComm(kReceiveEvent); });
    // A port about to be lost still holds what it received: deliver it now, as the pending tick
    // would have, or it would be gone with the port.
    connect(&m_transport, &Transport::lost, this, [this] {
        m_timer2.stop();
        const QByteArray rest = m_transport.readAll();
        if (rest.isEmpty()) return;
        emit chunkReceived(rest);
        setLatestChunk({});
        setLatestChunk(rest);
    });
}

void ReceivePath::MSComm1_OnComm(int commEvent) {
    // Further receive events before the tick neither postpone it nor add a second one.
    if (commEvent == kReceiveEvent && !m_timer2.isActive()) m_timer2.start();
}

void ReceivePath::Timer2_Timer() {
    setLatestChunk({});
    if (m_transport.isOpen()) {
        const QByteArray chunk = m_transport.readAll();
        if (!chunk.isEmpty()) emit chunkReceived(chunk);
        setLatestChunk(chunk);
    }
    m_timer2.stop();
}

void ReceivePath::setLatestChunk(const QByteArray &text) {
    if (text == m_latest)
        return; // like a text box, an assignment that changes nothing is no change
    m_latest = text;
    emit latestChunkChanged();
    Text2_Change();
}

void ReceivePath::setReceiveBuffer(const QByteArray &text) {
    if (text == m_buffer) return;
    m_buffer = text;
    emit receiveBufferReset();
}

void ReceivePath::Text2_Change() {
    if (ReplaceFlag) setReceiveBuffer(m_latest);
    if (AppendFlag && !m_latest.isEmpty()) {
        m_buffer.append(m_latest);
        emit receiveBufferAppended(m_latest);
    }
}
