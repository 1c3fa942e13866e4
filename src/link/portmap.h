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
    QString serialNumber; // the adapter's serial number; may be empty
};

// What an entry leads to when the port is about to open.
struct PortTarget {
    PortTarget() = default;
    // A plain device, for a link whose entries need no checking.
    PortTarget(QString device) : device(std::move(device)) {} // NOLINT: implicit on purpose
    QString device; // empty: the entry stands for no device
    QString description;
    // Not empty: the entry no longer stands for the device it stood for when it was chosen, and
    // nothing may be opened; the sentence says what it stood for and which entries are present.
    QString refusal;
};

// The serial ports the system has now: on Windows the COM names the system lists
// (HARDWARE\DEVICEMAP\SERIALCOMM) with what its device manager says of each; elsewhere
// QSerialPortInfo's, which leaves out the standard serial lines that have no hardware behind them.
QList<FoundPort> systemSerialPorts();

// A Windows COM port as the device manager describes it: `friendlyName` "USB Serial Port (COM17)"
// gives the description (without the port's name), `instanceId` tells an adapter
// ("USB\VID_0403&PID_6001\A10K1ABC", "FTDIBUS\VID_0403+PID_6001+A10K1ABCA\0000") and its serial
// number, when the system has one rather than a name of its own making (one with a "&").
FoundPort describedComPort(const QString &name, const QString &friendlyName,
                           const QString &instanceId);

// The lines of section [ports] of the settings file: entry number (1 for "COM1") to device.
QMap<int, QString> configuredPorts(const Profile &profile);

// What each entry "COM1" to "COM12" of the port list stands for. A [ports] line always wins, and
// its device is never given to another entry. With the system's names (Windows), an entry without
// a line is the system's own COMn when there is one; the ports the list cannot name so (COM17, or
// a name of another form) then take the entries left, in name order. In order (elsewhere), the
// entries without a line stand for the ports found, numbered from COM1: adapters first, then the
// others, each group in name order. An entry with nothing stands for no device.
//
// The map reads the settings lines and the system's ports again at each refresh(), so that an
// adapter plugged in after start-up, or a line added to the file, is seen without a restart. A
// line and a found port are one device when their paths lead to the same file (an alias such as
// /dev/serial/by-id/... and its target).
//
// An entry also keeps the device it stood for when it was chosen (remember()): its serial number
// and description where the system gives them, else its path. Entries are numbered by position,
// so once an adapter is pulled out the same entry may stand for another one; target() then
// refuses to lead there until the entry is chosen again.
class PortMap {
public:
    static constexpr int kEntries = 12;

    enum class Numbering { InOrder, SystemNames };
#ifdef Q_OS_WIN
    static constexpr Numbering kSystemNumbering = Numbering::SystemNames;
#else
    static constexpr Numbering kSystemNumbering = Numbering::InOrder;
#endif

    PortMap(std::function<QMap<int, QString>()> configured, std::function<QList<FoundPort>()> found,
            Numbering numbering = kSystemNumbering);

    void refresh();
    // The device of entry `number` (1 to 12); empty when it stands for none.
    QString device(int number) const {
        return m_entries.value(number - 1).port.device;
    }
    // Entry `number` stands from now on for the device it stands for now (none included). Reads
    // no ports: call refresh() first for the system's ports of this moment.
    void remember(int number);
    // The device entry `number` was chosen for (remember()), else the one it stands for now:
    // what tells one board from another (its serial number, else its path).
    FoundPort chosenDevice(int number) const;
    // Reads the ports again, then what entry `number` leads to. An entry remembered without a
    // device takes the device it has now, and keeps it.
    PortTarget target(int number);
    // "COM1 — /dev/ttyUSB0 — FT232R USB UART", "COM2 — /dev/ttyS0", "COM5 — aucun périphérique".
    QString entryText(int number) const;
    // The entries that have a device, for a user whose port was missing:
    // "Ports présents : COM1 (/dev/ttyUSB0), COM2 (/dev/ttyS0)", or, without any,
    // "Aucun port série détecté : branchez l'adaptateur".
    QString presentText() const;

private:
    // What entry `number` stands for, to be remembered.
    FoundPort chosenPort(int number) const;
    struct Entry {
        FoundPort port;
        bool present = false; // the device exists now
    };

    std::function<QMap<int, QString>()> m_configured;
    std::function<QList<FoundPort>()> m_found;
    Numbering m_numbering;
    QList<Entry> m_entries;        // index 0 is COM1
    QList<FoundPort> m_remembered; // what each entry stood for when it was chosen
};
