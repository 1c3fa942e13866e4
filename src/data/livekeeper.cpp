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
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        if (error) *error = filereason::cannotCreate(path, errno);
        return false;
    }
    m_facts = m_template;
    m_facts.live = true;
    m_facts.recorded = m_facts.start = wholeSecond(m_now());
    m_facts.startOrigin = StartOrigin::Arrival;
    m_facts.arrivals.clear();
    m_facts.excursions.clear();
    m_decoder = SampleDecoder();
    m_samples = 0;
    // Written at once, so that a reading cut short by a crash still says when it began.
    QFile::remove(factsPath(path));
    m_facts.save(factsPath(path));
    return true;
}

bool LiveKeeper::append(QByteArrayView chunk, QString *error) {
    if (chunk.isEmpty()) return true;
    if (!m_file.isOpen() && !start(error)) return false;
    const qint64 before = m_samples;
    m_decoder.feed(chunk, [this](const SampleField &field) { m_samples += field.column == 0; });
    if (m_samples > before) m_facts.arrivals.append({before, m_now()});
    errno = 0;
    if (m_file.write(chunk.data(), chunk.size()) == chunk.size()) return true;
    if (error) *error = filereason::cannotWrite(m_file.fileName(), errno);
    m_file.close();
    return false;
}

bool LiveKeeper::close(QString *error) {
    if (!m_file.isOpen()) return true;
    m_file.close();
    return m_facts.save(factsPath(m_file.fileName()), error);
}

void LiveKeeper::note(const QString &sentence) {
    if (m_file.isOpen()) m_facts.excursions.append(sentence);
}
