// The serial ports of systems where Qt Serial Port is built (all but Windows).
#include "link/portmap.h"

#include <QSerialPortInfo>

namespace {
bool looksLikeAdapter(const QString &device) {
    return device.contains(QLatin1String("USB"), Qt::CaseInsensitive) ||
           device.contains(QLatin1String("ACM")) || device.contains(QLatin1String("usbmodem")) ||
           device.contains(QLatin1String("usbserial"));
}
} // namespace

QList<FoundPort> systemSerialPorts() {
    QList<FoundPort> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        ports.append({info.systemLocation(), info.description(),
                      info.hasVendorIdentifier() || looksLikeAdapter(info.systemLocation()),
                      info.serialNumber()});
    return ports;
}
