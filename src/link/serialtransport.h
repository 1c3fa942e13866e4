#pragma once

#include "link/portmap.h"
#include "link/serialdevice.h"
#include "link/transport.h"

#include <functional>

// The board link on a real serial port: 9600 baud, 8 data bits, no parity, 1 stop bit. The port is
// chosen by its number (1 for "COM1" ... 12 for "COM12"); `deviceFor` maps the number to the
// system's device when the port opens (see PortMap): an empty name means that the entry stands
// for no device, a refusal that it may not be opened. Every later message names the device that
// was really opened, even once the entry has come to stand for another one.
class SerialTransport final : public Transport {
    Q_OBJECT
public:
    using DeviceResolver = std::function<PortTarget(int portNumber)>;

    explicit SerialTransport(DeviceResolver deviceFor, QObject *parent = nullptr);

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

    SerialDevice m_port;
    DeviceResolver m_deviceFor;
    std::function<QString()> m_present;
    int m_portNumber = 1;
    // The entry and the device of the port last opened (or tried).
    int m_openedNumber = 0;
    QString m_openedDevice;
};
