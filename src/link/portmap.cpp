#include "link/portmap.h"

#include "data/profile.h"

#include <QFile>
#include <QSerialPortInfo>

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
                      info.hasVendorIdentifier() || looksLikeAdapter(info.systemLocation())});
    return ports;
}

QMap<int, QString> configuredPorts(const Profile &profile) {
    QMap<int, QString> lines;
    for (int number = 1; number <= PortMap::kEntries; ++number) {
        const QByteArray device = profile.value("ports", "COM" + QByteArray::number(number));
        // A device path, in the file system's encoding.
        if (!device.isEmpty()) lines.insert(number, QFile::decodeName(device));
    }
    return lines;
}

PortMap::PortMap(std::function<QMap<int, QString>()> configured,
                 std::function<QList<FoundPort>()> found)
    : m_configured(std::move(configured)), m_found(std::move(found)) {
    refresh();
}

void PortMap::refresh() {
    const QMap<int, QString> lines = m_configured();
    QList<FoundPort> found = m_found();
    m_entries = QList<FoundPort>(kEntries);
    for (auto line = lines.cbegin(); line != lines.cend(); ++line) {
        if (line.key() < 1 || line.key() > kEntries) continue;
        FoundPort &entry = m_entries[line.key() - 1];
        entry.device = line.value();
        // The description of the port found there, which then goes to no other entry.
        const auto same = std::find_if(found.begin(), found.end(), [&](const FoundPort &p) {
            return p.device == entry.device;
        });
        if (same != found.end()) {
            entry.description = same->description;
            found.erase(same);
        }
    }
#ifdef Q_OS_WIN
    for (int number = 1; number <= kEntries; ++number) {
        FoundPort &entry = m_entries[number - 1];
        if (!entry.device.isEmpty()) continue;
        entry.device = QStringLiteral("COM%1").arg(number);
        for (const FoundPort &port : std::as_const(found))
            if (port.device == entry.device) entry.description = port.description;
    }
#else
    std::stable_sort(found.begin(), found.end(), [](const FoundPort &a, const FoundPort &b) {
        if (a.adapter != b.adapter) return a.adapter;
        return byName(a, b);
    });
    auto next = found.cbegin();
    for (FoundPort &entry : m_entries) {
        if (next == found.cend()) break;
        if (entry.device.isEmpty()) entry = *next++;
    }
#endif
}

QString PortMap::entryText(int number) const {
    const FoundPort entry = m_entries.value(number - 1);
    QString text = QStringLiteral("COM%1 — ").arg(number);
    if (entry.device.isEmpty()) return text + QStringLiteral("aucun périphérique");
    text += entry.device;
    if (!entry.description.isEmpty()) text += QStringLiteral(" — ") + entry.description;
    return text;
}

QString PortMap::presentText() const {
    QStringList present;
    for (int number = 1; number <= kEntries; ++number) {
        const QString device = m_entries.value(number - 1).device;
        if (!device.isEmpty()) present << QStringLiteral("COM%1 (%2)").arg(number).arg(device);
    }
    if (present.isEmpty())
        return QStringLiteral("Aucun port série détecté : branchez l'adaptateur");
    return QStringLiteral("Ports présents : ") + present.join(QStringLiteral(", "));
}
