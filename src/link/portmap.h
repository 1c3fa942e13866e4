#pragma once

#include <QList>
#include <QMap>
#include <QString>

#include <functional>

class Profile;

// A serial port the system has now.
struct FoundPort {
    QString device;       // what to open: "/dev/ttyUSB0", "COM3"
    QString description;  // the adapter's own name, "FT232R USB UART"; may be empty
    bool adapter = false; // a USB or ACM adapter rather than a port of the machine itself
};

// The serial ports the system has now (QSerialPortInfo, which leaves out the standard serial lines
// that have no hardware behind them).
QList<FoundPort> systemSerialPorts();

// The lines of section [ports] of the settings file: entry number (1 for "COM1") to device.
QMap<int, QString> configuredPorts(const Profile &profile);

// What each entry "COM1" to "COM12" of the port list stands for. A [ports] line always wins, and
// its device is never given to another entry. On Windows an entry without a line is the system's
// own COMn. Elsewhere the entries without a line stand for the ports found, numbered from COM1:
// adapters first, then the others, each group in name order; an entry with neither stands for no
// device.
//
// The map reads the settings lines and the system's ports again at each refresh(), so that an
// adapter plugged in after start-up, or a line added to the file, is seen without a restart.
class PortMap {
public:
    static constexpr int kEntries = 12;

    PortMap(std::function<QMap<int, QString>()> configured,
            std::function<QList<FoundPort>()> found);

    void refresh();
    // The device of entry `number` (1 to 12); empty when it stands for none.
    QString device(int number) const { return m_entries.value(number - 1).device; }
    // "COM1 — /dev/ttyUSB0 — FT232R USB UART", "COM2 — /dev/ttyS0", "COM5 — aucun périphérique".
    QString entryText(int number) const;
    // The entries that have a device, for a user whose port was missing:
    // "Ports présents : COM1 (/dev/ttyUSB0), COM2 (/dev/ttyS0)", or, without any,
    // "Aucun port série détecté : branchez l'adaptateur".
    QString presentText() const;

private:
    std::function<QMap<int, QString>()> m_configured;
    std::function<QList<FoundPort>()> m_found;
    QList<FoundPort> m_entries; // index 0 is COM1
};
