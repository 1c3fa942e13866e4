#include "link/serialtransport.h"

#include "link/protocol.h"
#include "link/serialreason.h"

#include <cerrno>

SerialTransport::SerialTransport(DeviceResolver deviceFor, QObject *parent)
    : Transport(parent), m_deviceFor(std::move(deviceFor)) {
    // No limit on what the port keeps between two reads: a busy window never drops board data.
    m_port.setReadBufferSize(0);
    connect(&m_port, &SerialDevice::readyRead, this, &Transport::received);
    connect(&m_port, &SerialDevice::errorOccurred, this, &SerialTransport::onError);
    connect(&m_port, &SerialDevice::bytesWritten, this, &SerialTransport::onBytesWritten);
    connect(m_clock, &Clock::alarm, this, &SerialTransport::onWriteTimeOut);
}

void SerialTransport::setClock(Clock &clock) {
    disconnect(m_clock, &Clock::alarm, this, &SerialTransport::onWriteTimeOut);
    m_clock->cancelAlarm();
    m_clock = &clock;
    connect(m_clock, &Clock::alarm, this, &SerialTransport::onWriteTimeOut);
    if (m_writeDue) m_clock->setAlarm(m_writeDeadline);
}

QString SerialTransport::portLabel() const {
    if (m_openedDevice.isEmpty() || m_openedNumber != m_portNumber)
        return QStringLiteral("COM%1").arg(m_portNumber);
    return QStringLiteral("COM%1 (%2)").arg(m_openedNumber).arg(m_openedDevice);
}

bool SerialTransport::open() {
    if (m_port.isOpen()) return true;
    const PortTarget target = m_deviceFor(m_portNumber);
    if (!target.refusal.isEmpty()) {
        emit problem(target.refusal);
        return false;
    }
    const QString &device = target.device;
    if (device.isEmpty()) {
        QString message = QStringLiteral("Impossible d'ouvrir le port COM%1 : aucun périphérique.")
                              .arg(m_portNumber);
        if (m_present) message += u' ' + m_present() + u'.';
        emit problem(message);
        return false;
    }
    m_openedNumber = m_portNumber;
    m_openedDevice = device;
    m_port.setPortName(device);
    m_port.setBaudRate(board::kBaudRate);
    m_port.setDataBits(SerialDevice::Data8);
    m_port.setParity(SerialDevice::NoParity);
    m_port.setStopBits(SerialDevice::OneStop);
    m_port.setFlowControl(SerialDevice::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) return false; // onError() has said why
    return true;
}

void SerialTransport::close() {
    m_writeDue = false;
    m_clock->cancelAlarm();
    if (m_port.isOpen()) m_port.close();
}

void SerialTransport::setDataTerminalReady(bool on) {
    // Pseudo-terminals and some adapters have no modem lines; that is no reason to stop.
    if (m_port.isOpen()) m_port.setDataTerminalReady(on);
}

void SerialTransport::write(const QByteArray &bytes) {
    if (!m_port.isOpen()) {
        emit problem(
            QStringLiteral("Port %1 fermé : rien n'a été envoyé à la platine.").arg(portLabel()));
        return;
    }
    // Each write leaves at once, so a command word and its trailer stay two separate writes.
    m_writing = true;
    m_port.write(bytes);
    m_port.flush();
    m_writing = false;
    // What the port could not pass on yet must leave by the deadline of the oldest bytes waiting.
    if (m_port.isOpen() && m_port.bytesToWrite() > 0 && !m_writeDue) {
        m_writeDue = true;
        m_writeDeadline = m_clock->now() + kWriteTimeout;
        m_clock->setAlarm(m_writeDeadline);
    }
}

void SerialTransport::onBytesWritten() {
    if (!m_writeDue || m_port.bytesToWrite() > 0) return;
    m_writeDue = false;
    m_clock->cancelAlarm();
}

void SerialTransport::onWriteTimeOut() {
    if (!m_writeDue || m_clock->now() < m_writeDeadline) return;
    m_writeDue = false;
    if (!m_port.isOpen() || m_port.bytesToWrite() == 0) return;
    // Dropped rather than left to the port: closing a line that still has bytes to send could wait
    // for them, and the board must not get the command later, once the operation has ended.
    m_port.clear(SerialDevice::Output);
    endAsLost(QStringLiteral("Port %1 bloqué : la commande n'a pas pu partir.").arg(portLabel()));
}

void SerialTransport::endAsLost(const QString &message) {
    // What the port had already received is taken first (lost() lets the receive path read it),
    // then the port closes, so that a later press on "Connexion" opens it again.
    emit lost();
    close();
    emit problem(message);
}

void SerialTransport::onError(SerialDevice::SerialPortError error) {
    if (error == SerialDevice::NoError || error == SerialDevice::TimeoutError) return;
    // Modem lines on a pseudo-terminal: no reason to stop an open port. A port that is not open
    // yet refused its opening (a device that is no serial port), which is said below.
    if (error == SerialDevice::UnsupportedOperationError && m_port.isOpen()) return;
    const QString systemText = m_port.errorString();
    m_port.clearError();
    // A POSIX port whose system buffer is full refuses the write for now (EAGAIN): the bytes stay
    // with the port, which sends them once the line takes them again, or the write time-out ends
    // it.
    if (m_writing && error == SerialDevice::ResourceError && systemText == qt_error_string(EAGAIN))
        return;
    if (m_port.isOpen()) {
        // The device went away while open (adapter unplugged). The system's error left by the
        // failed read may be an earlier call's: the kind of failure says it.
        endAsLost(QStringLiteral("Port %1 perdu : le périphérique ne répond plus (%2).")
                      .arg(portLabel(), serialReason(error)));
        return;
    }
    QString reason = serialReason(error, systemText);
    if (error == SerialDevice::DeviceNotFoundError && m_present)
        reason += QStringLiteral(". ") + m_present();
    emit problem(QStringLiteral("Impossible d'ouvrir le port %1 : %2.").arg(portLabel(), reason));
}
