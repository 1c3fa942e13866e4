#pragma once

#include "link/transport.h"

#include <QSerialPort>

#include <functional>

// The board link on a real serial port: 9600 baud, 8 data bits, no parity, 1 stop bit. The port is
// chosen by its number (1 for "COM1" ... 12 for "COM12"); `deviceFor` maps the number to the
// system's device (see PortMap), an empty name meaning that the entry stands for no device.
class SerialTransport final : public Transport {
    Q_OBJECT
public:
    using DeviceResolver = std::function<QString(int portNumber)>;

    explicit SerialTransport(DeviceResolver deviceFor, QObject *parent = nullptr);

    void setPortNumber(int number) { m_portNumber = number; }
    // What to tell a user whose port has no device: the ports there are (PortMap::presentText).
    void setPresentPorts(std::function<QString()> present) { m_present = std::move(present); }
    int portNumber() const { return m_portNumber; }
    QString deviceName() const { return m_deviceFor(m_portNumber); }
    // The port itself, for a look at its settings.
    const QSerialPort &serialPort() const { return m_port; }

    bool isOpen() const override { return m_port.isOpen(); }
    bool open() override;
    void close() override;
    void setDataTerminalReady(bool on) override;
    void write(const QByteArray &bytes) override;
    QByteArray readAll() override { return m_port.readAll(); }

private:
    void onError(QSerialPort::SerialPortError error);
    QString portLabel() const;

    QSerialPort m_port;
    DeviceResolver m_deviceFor;
    std::function<QString()> m_present;
    int m_portNumber = 1;
};
