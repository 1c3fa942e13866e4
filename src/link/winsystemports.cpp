// The serial ports of Windows: the COM names the system lists, described by its device manager.
#include "link/portmap.h"

#include <QMap>

#include <windows.h>

#include <setupapi.h>

#include <cwchar>

namespace {

// The "Ports (COM & LPT)" device class.
constexpr GUID kPortsClass = {
    0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

QString registryText(const wchar_t *data, DWORD bytes) {
    return QString::fromWCharArray(data, int(wcsnlen(data, bytes / sizeof(wchar_t))));
}

// "COM1", "COM17": the names under HARDWARE\DEVICEMAP\SERIALCOMM, which every serial driver (and
// Wine) fills.
QStringList comNames() {
    QStringList names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index) {
        wchar_t valueName[256];
        wchar_t data[256];
        DWORD nameLength = 256, dataBytes = sizeof data, type = 0;
        const LONG result = RegEnumValueW(key, index, valueName, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE *>(data), &dataBytes);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result == ERROR_SUCCESS && type == REG_SZ) names << registryText(data, dataBytes);
    }
    RegCloseKey(key);
    return names;
}

QString deviceProperty(HDEVINFO set, SP_DEVINFO_DATA &device, DWORD property) {
    wchar_t data[512];
    DWORD type = 0, bytes = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type,
                                           reinterpret_cast<BYTE *>(data), sizeof data, &bytes) ||
        type != REG_SZ)
        return {};
    return registryText(data, bytes);
}

// Each present port of the device manager by its COM name.
QMap<QString, FoundPort> describedPorts() {
    QMap<QString, FoundPort> ports;
    const HDEVINFO set = SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return ports;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); ++index) {
        const HKEY key =
            SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE) continue;
        wchar_t data[256];
        DWORD type = 0, bytes = sizeof data;
        const bool named =
            RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE *>(data),
                             &bytes) == ERROR_SUCCESS &&
            type == REG_SZ;
        RegCloseKey(key);
        if (!named) continue;
        const QString name = registryText(data, bytes);
        QString friendly = deviceProperty(set, device, SPDRP_FRIENDLYNAME);
        if (friendly.isEmpty()) friendly = deviceProperty(set, device, SPDRP_DEVICEDESC);
        wchar_t id[512];
        QString instanceId;
        if (SetupDiGetDeviceInstanceIdW(set, &device, id, 512, nullptr))
            instanceId = QString::fromWCharArray(id);
        ports.insert(name.toUpper(), describedComPort(name, friendly, instanceId));
    }
    SetupDiDestroyDeviceInfoList(set);
    return ports;
}

} // namespace

QList<FoundPort> systemSerialPorts() {
    const QMap<QString, FoundPort> described = describedPorts();
    QList<FoundPort> ports;
    for (const QString &name : comNames())
        ports.append(described.value(name.toUpper(), describedComPort(name, {}, {})));
    return ports;
}
