#include "data/filereason.h"

#include <QDir>
#include <QFileInfo>

namespace filereason {

QString cannotRead(const QString &path) {
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (!info.exists()) return QStringLiteral("Le fichier « %1 » n'existe pas.").arg(name);
    if (info.isDir()) return QStringLiteral("« %1 » est un dossier, pas un fichier.").arg(name);
    return QStringLiteral("Le fichier « %1 » ne peut pas être lu (accès refusé).").arg(name);
}

QString cannotCreate(const QString &path) {
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (!info.absoluteDir().exists())
        return QStringLiteral("Le dossier de « %1 » n'existe pas.").arg(name);
    if (info.isDir()) return QStringLiteral("« %1 » est un dossier, pas un fichier.").arg(name);
    return QStringLiteral("Le fichier « %1 » ne peut pas être créé : dossier protégé en écriture "
                          "ou fichier utilisé par un autre programme.")
        .arg(name);
}

QString cannotWrite(const QString &path) {
    return QStringLiteral("L'écriture du fichier « %1 » a échoué (disque plein ?).")
        .arg(QFileInfo(path).fileName());
}

} // namespace filereason
