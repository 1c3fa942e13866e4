#pragma once

#include "link/clock.h"
#include "link/portmap.h"
#include "link/serialdevice.h"
#include "link/transport.h"

#include <chrono>
#include <functional>

// The board link on a real serial port: 9600 baud, 8 data bits, no parity, 1 stop bit. The port is
// chosen by its number (1 for "COM1" ... 12 for "COM12"); `deviceFor` maps the number to the
// system's device when the port opens (see PortMap): an empty name means that the entry stands
// for no device, a refusal that it may not be opened. Every later message names the device that
// was really opened, even once the entry has come to stand for another one.
//
// Bytes written must all have left for the system within kWriteTimeout. A port that keeps them
// longer (a stalled adapter, a line held by flow control) is blocked: it ends as a lost port does
// (lost(), then it closes, then problem() says so), and what it still held is dropped, so nothing
// more reaches the board.
class SerialTransport final : public Transport {
    Q_OBJECT
public:
    using DeviceResolver = std::function<PortTarget(int portNumber)>;

    static constexpr std::chrono::seconds kWriteTimeout{5};

    explicit SerialTransport(DeviceResolver deviceFor, QObject *parent = nullptr);

    // The clock of the write time-out: a steady clock of the transport's own unless a test gives
    // another. Its alarm must be the transport's alone.
    void setClock(Clock &clock);

    void setPortNumber(int number) { m_portNumber = number; }
    // What to tell a user whose port has no device: the ports there are (PortMap::presentText).
    void setPresentPorts(std::function<QString()> present) { m_present = std::move(present); }
    int portNumber() const { return m_portNumber; }
    QString deviceName() const { return m_deviceFor(m_portNumber).device; }
    // "COM1 (/dev/ttyUSB0)": the entry and the device last opened or tried for it; "COM2" when
    // none was for the entry chosen now.
    QString portLabel() const;
    // The port itself, for a look at its settings.
    const SerialDevice &serialPort() const { return m_port; }

    bool isOpen() const override { return m_port.isOpen(); }
    bool open() override;
    void close() override;
    void setDataTerminalReady(bool on) override;
    void write(const QByteArray &bytes) override;
    QByteArray readAll() override { return m_port.readAll(); }

private:
    void onError(SerialDevice::SerialPortError error);
    void onBytesWritten();
    void onWriteTimeOut();
    // What a lost or blocked port does: lost(), the port closed, then `message` as problem().
    void endAsLost(const QString &message);

    SerialDevice m_port;
    SteadyClock m_steadyClock;
    Clock *m_clock = &m_steadyClock;
    // Inside write(): a port that refuses bytes for now is waited for, not lost.
    bool m_writing = false;
    bool m_writeDue = false; // bytes wait to leave, by m_writeDeadline
    Clock::Duration m_writeDeadline{};
    DeviceResolver m_deviceFor;
    std::function<QString()> m_present;
    int m_portNumber = 1;
    // The entry and the device of the port last opened (or tried).
    int m_openedNumber = 0;
    QString m_openedDevice;
};
