#include "wire.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cstdio>

namespace {

constexpr auto kPaceTick = std::chrono::milliseconds(10);
// After a stall (a busy machine, a full buffer) the line never sends more than this much time's
// worth of bytes at once.
constexpr auto kMaxCatchUp = std::chrono::milliseconds(100);

// "RAZ\x01\x01\x01": printable ASCII as it is, everything else escaped.
QByteArray printable(const QByteArray &bytes) {
    QByteArray text;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\\')
            text += "\\\\";
        else if (byte >= 0x20 && byte < 0x7F)
            text += c;
        else if (byte == '\r')
            text += "\\r";
        else if (byte == '\n')
            text += "\\n";
        else
            text += "\\x" + QByteArray::number(byte, 16).toUpper().rightJustified(2, '0');
    }
    return text;
}

} // namespace

Wire::Wire(int lineRate, QObject *parent) : QObject(parent), m_lineRate(lineRate) {
    m_pace.setInterval(kPaceTick);
    m_pace.setTimerType(Qt::PreciseTimer);
    connect(&m_pace, &QTimer::timeout, this, &Wire::transmit);
    m_clock.start();
}

bool Wire::open(QString *error) {
    if (!m_terminal.open(error)) return false;
    const int fd = m_terminal.masterDescriptor();
    m_readNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &Wire::readIncoming);
    m_writeNotifier = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &Wire::transmit);
    return true;
}

bool Wire::startLog(const QString &path, QString *error) {
    m_log.setFileName(path);
    if (m_log.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) return true;
    *error = QStringLiteral("cannot write %1: %2").arg(path, m_log.errorString());
    return false;
}

void Wire::send(const QByteArray &bytes) {
    if (bytes.isEmpty()) return;
    const bool wasIdle = m_outgoing.isEmpty();
    m_outgoing += bytes;
    if (!wasIdle) return;
    // A line that has been quiet starts with one tick's worth of bytes, like a UART whose
    // transmitter is free.
    m_lastPaceMs = m_clock.elapsed();
    m_credit = m_lineRate * std::chrono::duration<double>(kPaceTick).count();
    transmit();
}

void Wire::transmit() {
    m_writeNotifier->setEnabled(false);
    qsizetype allowed = m_outgoing.size();
    if (m_lineRate > 0) {
        // The credit grows with the real time elapsed, so late timer ticks do not slow the line.
        const qint64 now = m_clock.elapsed();
        m_credit = std::min(m_credit + double(now - m_lastPaceMs) * m_lineRate / 1000.0,
                            m_lineRate * std::chrono::duration<double>(kMaxCatchUp).count());
        m_lastPaceMs = now;
        allowed = std::min(allowed, qsizetype(m_credit));
    }
    if (allowed > 0) {
        const qint64 written = m_terminal.write(m_outgoing.left(allowed));
        if (written < 0) {
            std::perror("volterne-board-sim: write");
            m_outgoing.clear();
        } else {
            m_outgoing.remove(0, written);
            m_credit -= double(written);
            if (written < allowed) // the program is not reading and the line's buffer is full
                m_writeNotifier->setEnabled(true);
        }
    }
    if (m_outgoing.isEmpty()) {
        m_pace.stop();
        emit drained();
    } else if (m_lineRate > 0 && !m_writeNotifier->isEnabled()) {
        if (!m_pace.isActive()) m_pace.start();
    } else {
        m_pace.stop();
    }
}

void Wire::readIncoming() {
    const QByteArray bytes = m_terminal.readAll();
    if (bytes.isEmpty()) return;
    logIncoming(bytes);
    emit received(bytes);
}

void Wire::logIncoming(const QByteArray &bytes) {
    if (!m_log.isOpen()) return;
    m_log.write(QByteArray::number(m_clock.elapsed()) + '\t' + bytes.toHex(' ').toUpper() + '\t' +
                printable(bytes) + '\n');
    m_log.flush();
}
