#include "data/livekeeper.h"

#include "data/filereason.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

LiveKeeper::LiveKeeper(QString directory, Now now)
    : m_directory(std::move(directory)), m_now(std::move(now)) {
}

QString liveFileName(const QDateTime &moment) {
    return QStringLiteral("temps_reel_%1.txt")
        .arg(moment.toString(QStringLiteral("ddMMyyyy_HHmmss")));
}

bool LiveKeeper::start(QString *error) {
    // A file started in the same second as the previous one takes the next free "-N" name rather
    // than writing over it.
    const QDir folder(m_directory);
    const QString name = liveFileName(m_now());
    QString path = folder.filePath(name);
    for (int n = 1; QFileInfo::exists(path); ++n)
        path = folder.filePath(QString(name).insert(name.size() - 4, QStringLiteral("-%1").arg(n)));
    m_file.setFileName(path);
    errno = 0;
    if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) return true;
    if (error) *error = filereason::cannotCreate(path, errno);
    return false;
}

bool LiveKeeper::append(QByteArrayView chunk, QString *error) {
    if (chunk.isEmpty()) return true;
    if (!m_file.isOpen() && !start(error)) return false;
    errno = 0;
    if (m_file.write(chunk.data(), chunk.size()) == chunk.size()) return true;
    if (error) *error = filereason::cannotWrite(m_file.fileName(), errno);
    m_file.close();
    return false;
}

void LiveKeeper::close() {
    m_file.close();
}
