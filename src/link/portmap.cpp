#include "link/portmap.h"

#include "data/profile.h"
#include "data/settingskeys.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {
// "ttyUSB2" before "ttyUSB10": the name without its trailing number first, then the number.
bool byName(const FoundPort &a, const FoundPort &b) {
    const auto split = [](const QString &name) {
        qsizetype digits = name.size();
        while (digits > 0 && name[digits - 1].isDigit())
            --digits;
        return std::pair(name.left(digits), name.mid(digits).toLongLong());
    };
    return split(a.device) < split(b.device);
}

// The file a device path leads to, so that an alias and its target compare equal; the path
// itself when it leads nowhere (or names no file, as "COM3" on Windows).
QString resolvedPath(const QString &device) {
#ifdef Q_OS_WIN
    return device;
#else
    const QString resolved = QFileInfo(device).canonicalFilePath();
    return resolved.isEmpty() ? device : resolved;
#endif
}

// Two descriptions of one device: by serial number and description when the system gives them,
// else by the file their paths lead to.
bool sameDevice(const FoundPort &a, const FoundPort &b) {
    if (!a.serialNumber.isEmpty() || !b.serialNumber.isEmpty())
        return a.serialNumber == b.serialNumber && a.description == b.description;
    return resolvedPath(a.device) == resolvedPath(b.device);
}

QString deviceText(const FoundPort &port) {
    return port.description.isEmpty()
               ? port.device
               : QStringLiteral("%1 (%2)").arg(port.device, port.description);
}
} // namespace

FoundPort describedComPort(const QString &name, const QString &friendlyName,
                           const QString &instanceId) {
    FoundPort port;
    port.device = name;
    port.description = friendlyName;
    const QString suffix = QStringLiteral(" (%1)").arg(name);
    if (port.description.endsWith(suffix, Qt::CaseInsensitive))
        port.description.chop(suffix.size());
    const QString id = instanceId.toUpper();
    port.adapter = id.startsWith(QLatin1String("USB\\")) ||
                   id.startsWith(QLatin1String("FTDIBUS\\")) || id.contains(QLatin1String("VID_"));
    const QStringList parts = instanceId.split(u'\\');
    if (id.startsWith(QLatin1String("FTDIBUS\\")) && parts.size() >= 2) {
        const qsizetype plus = parts[1].lastIndexOf(u'+');
        if (plus >= 0) port.serialNumber = parts[1].mid(plus + 1);
    } else if (id.startsWith(QLatin1String("USB\\")) && parts.size() >= 3 &&
               !parts[2].contains(u'&')) {
        port.serialNumber = parts[2];
    }
    return port;
}

QMap<int, QString> configuredPorts(const Profile &profile) {
    QMap<int, QString> lines;
    for (int number = 1; number <= PortMap::kEntries; ++number) {
        const QByteArray device =
            profile.value(settingskeys::kPortsSection, "COM" + QByteArray::number(number));
        // A device path, in the file system's encoding.
        if (!device.isEmpty()) lines.insert(number, QFile::decodeName(device));
    }
    return lines;
}

PortMap::PortMap(std::function<QMap<int, QString>()> configured,
                 std::function<QList<FoundPort>()> found, Numbering numbering)
    : m_configured(std::move(configured)), m_found(std::move(found)), m_numbering(numbering),
      m_remembered(kEntries) {
    refresh();
}

void PortMap::remember(int number) {
    if (number >= 1 && number <= kEntries) m_remembered[number - 1] = chosenPort(number);
}

FoundPort PortMap::chosenDevice(int number) const {
    if (number < 1 || number > kEntries) return {};
    const FoundPort &remembered = m_remembered[number - 1];
    return remembered.device.isEmpty() ? chosenPort(number) : remembered;
}

FoundPort PortMap::chosenPort(int number) const {
    // Through an alias, the device it leads to now: an alias that leads elsewhere later is
    // another device.
    FoundPort port = m_entries[number - 1].port;
    port.device = resolvedPath(port.device);
    return port;
}

PortTarget PortMap::target(int number) {
    refresh();
    if (number < 1 || number > kEntries) return {};
    const FoundPort &now = m_entries[number - 1].port;
    FoundPort &chosen = m_remembered[number - 1];
    if (chosen.device.isEmpty()) chosen = chosenPort(number);
    PortTarget target(now.device);
    target.description = now.description;
    if (!chosen.device.isEmpty() && (now.device.isEmpty() || !sameDevice(chosen, now)))
        target.refusal = QStringLiteral("COM%1 désignait %2, absent : rebranchez l'adaptateur ou "
                                        "choisissez un autre port. %3.")
                             .arg(number)
                             .arg(deviceText(chosen), presentText());
    return target;
}

void PortMap::refresh() {
    const QMap<int, QString> lines = m_configured();
    QList<FoundPort> found = m_found();
    m_entries = QList<Entry>(kEntries);
    for (auto line = lines.cbegin(); line != lines.cend(); ++line) {
        if (line.key() < 1 || line.key() > kEntries) continue;
        Entry &entry = m_entries[line.key() - 1];
        entry.port.device = line.value();
        // The port found there, by the file the line leads to, gives its description and serial
        // number and then goes to no other entry.
        const QString file = resolvedPath(entry.port.device);
        const auto same = std::find_if(found.begin(), found.end(), [&](const FoundPort &p) {
            return resolvedPath(p.device) == file;
        });
        if (same != found.end()) {
            entry.port.description = same->description;
            entry.port.serialNumber = same->serialNumber;
            entry.present = true;
            found.erase(same);
        } else {
#ifndef Q_OS_WIN
            entry.present = QFileInfo::exists(entry.port.device);
#endif
        }
    }
    if (m_numbering == Numbering::SystemNames) {
        for (int number = 1; number <= kEntries; ++number) {
            Entry &entry = m_entries[number - 1];
            if (!entry.port.device.isEmpty()) continue;
            const QString name = QStringLiteral("COM%1").arg(number);
            const auto own = std::find_if(found.begin(), found.end(), [&](const FoundPort &p) {
                return p.device.compare(name, Qt::CaseInsensitive) == 0;
            });
            if (own == found.end()) continue;
            entry = {*own, true};
            found.erase(own);
        }
        std::stable_sort(found.begin(), found.end(), byName);
    } else {
        std::stable_sort(found.begin(), found.end(), [](const FoundPort &a, const FoundPort &b) {
            if (a.adapter != b.adapter) return a.adapter;
            return byName(a, b);
        });
    }
    auto next = found.cbegin();
    for (Entry &entry : m_entries) {
        if (next == found.cend()) break;
        if (entry.port.device.isEmpty()) entry = {*next++, true};
    }
}

QString PortMap::entryText(int number) const {
    const FoundPort entry = m_entries.value(number - 1).port;
    QString text = QStringLiteral("COM%1 — ").arg(number);
    if (entry.device.isEmpty()) return text + QStringLiteral("aucun périphérique");
    text += entry.device;
    if (!entry.description.isEmpty()) text += QStringLiteral(" — ") + entry.description;
    return text;
}

QString PortMap::presentText() const {
    QStringList present;
    for (int number = 1; number <= kEntries; ++number) {
        const Entry &entry = m_entries[number - 1];
        const QString &device = entry.port.device;
        if (entry.present) present << QStringLiteral("COM%1 (%2)").arg(number).arg(device);
    }
    if (present.isEmpty())
        return QStringLiteral("Aucun port série détecté : branchez l'adaptateur");
    return QStringLiteral("Ports présents : ") + present.join(QStringLiteral(", "));
}
