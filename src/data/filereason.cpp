#include "data/filereason.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace filereason {

QString systemReason(int error) {
    switch (error) {
    case ENOSPC:
        return QStringLiteral("disque plein");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("quota de disque dépassé");
#endif
    case EFBIG:
        return QStringLiteral("fichier trop grand pour le disque ou pour la limite du système");
    case EACCES:
    case EPERM:
        return QStringLiteral("accès refusé");
    case EROFS:
        return QStringLiteral("disque ou dossier en lecture seule");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("fichier utilisé par un autre programme");
    case ENOENT:
        return QStringLiteral("dossier ou fichier introuvable");
    case EISDIR:
        return QStringLiteral("un dossier porte ce nom");
    case EIO:
        return QStringLiteral("erreur matérielle d'entrée-sortie (support retiré ?)");
    case ENAMETOOLONG:
        return QStringLiteral("nom trop long");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("trop de fichiers ouverts");
    default:
        return error == 0 ? QStringLiteral("erreur du système de fichiers")
                          : QStringLiteral("erreur du système n° %1").arg(error);
    }
}

QString cannotRead(const QString &path) {
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (!info.exists()) return QStringLiteral("Le fichier « %1 » n'existe pas.").arg(name);
    if (info.isDir()) return QStringLiteral("« %1 » est un dossier, pas un fichier.").arg(name);
    return QStringLiteral("Le fichier « %1 » ne peut pas être lu (accès refusé).").arg(name);
}

QString cannotCreate(const QString &path, int error) {
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (!info.absoluteDir().exists())
        return QStringLiteral("Le dossier de « %1 » n'existe pas.").arg(name);
    if (info.isDir()) return QStringLiteral("« %1 » est un dossier, pas un fichier.").arg(name);
    if (info.exists() && !info.isWritable())
        return QStringLiteral("Le fichier « %1 » est en lecture seule : accès refusé.").arg(name);
    if (error != 0)
        return QStringLiteral("Le fichier « %1 » ne peut pas être créé : %2.")
            .arg(name, systemReason(error));
    return QStringLiteral("Le fichier « %1 » ne peut pas être créé : dossier protégé en écriture "
                          "ou fichier utilisé par un autre programme.")
        .arg(name);
}

QString cannotWrite(const QString &path, int error) {
    return QStringLiteral("L'écriture du fichier « %1 » a échoué : %2.")
        .arg(QFileInfo(path).fileName(), systemReason(error));
}

QString shownPath(const QString &path) {
    const QString home = QDir::homePath();
    QString shown = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (shown.startsWith(home + u'/')) shown = u'~' + shown.mid(home.size());
    return QDir::toNativeSeparators(shown);
}

} // namespace filereason
