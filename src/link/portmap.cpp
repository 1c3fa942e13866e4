#include "link/portmap.h"

#include "data/profile.h"

#include <QFile>

QString deviceForPort(int number, const Profile &profile) {
    const QByteArray name = "COM" + QByteArray::number(number);
    const QByteArray mapped = profile.value("ports", name);
    if (!mapped.isEmpty())
        return QFile::decodeName(mapped); // a device path, in the file system's encoding
#ifdef Q_OS_WIN
    return QString::fromLatin1(name);
#else
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
#endif
}
