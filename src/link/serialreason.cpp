#include "link/serialreason.h"

#include <cerrno>

namespace {

// What a port's failure means by its kind.
QString reasonOfKind(SerialDevice::SerialPortError error) {
    switch (error) {
    case SerialDevice::DeviceNotFoundError:
        return QStringLiteral("périphérique introuvable");
    case SerialDevice::PermissionError:
        return QStringLiteral("accès refusé ou port déjà utilisé");
    case SerialDevice::OpenError:
        return QStringLiteral("port déjà ouvert");
    case SerialDevice::WriteError:
        return QStringLiteral("écriture impossible");
    case SerialDevice::ReadError:
        return QStringLiteral("lecture impossible");
    case SerialDevice::ResourceError:
        return QStringLiteral("périphérique retiré ou hors service");
    case SerialDevice::UnsupportedOperationError:
        return QStringLiteral("réglage refusé par le périphérique");
    case SerialDevice::TimeoutError:
        return QStringLiteral("délai dépassé");
    case SerialDevice::NotOpenError:
        return QStringLiteral("port fermé");
    default:
        return QStringLiteral("erreur inconnue du système");
    }
}

#ifndef Q_OS_WIN
// The system errors a serial port meets, and what they mean for its user.
struct SystemReason {
    int error;
    const char *reason;
};
const SystemReason kSystemReasons[] = {
    {ENOENT, "périphérique introuvable"},
    {ENODEV, "périphérique absent (adaptateur débranché ?)"},
    {ENXIO, "périphérique absent (adaptateur débranché ?)"},
    {EIO, "erreur d'entrée-sortie (adaptateur débranché ?)"},
    {EACCES, "accès refusé"},
    {EPERM, "accès refusé"},
    {EBUSY, "port utilisé par un autre programme"},
    {ENOTTY, "ce n'est pas un port série"},
    {EISDIR, "c'est un dossier, pas un port série"},
    {EINVAL, "réglage refusé par le périphérique"},
    {EAGAIN, "port momentanément indisponible"},
    {EMFILE, "trop de fichiers ouverts"},
    {ENFILE, "trop de fichiers ouverts"},
};
#endif

} // namespace

QString serialReason(SerialDevice::SerialPortError error, const QString &systemText) {
    // These kinds say all there is to say, whatever the system error behind them.
    if (error == SerialDevice::DeviceNotFoundError || error == SerialDevice::PermissionError ||
        error == SerialDevice::OpenError)
        return reasonOfKind(error);
#ifndef Q_OS_WIN
    // The port's error text is the system's text of the error (qt_error_string), nothing more.
    if (!systemText.isEmpty()) {
        for (const SystemReason &known : kSystemReasons)
            if (systemText == qt_error_string(known.error)) return QString::fromUtf8(known.reason);
    }
#else
    Q_UNUSED(systemText); // the system's sentence, in the system's language: the kind says it
#endif
    return reasonOfKind(error);
}
