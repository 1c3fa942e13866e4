#include "data/recording.h"

#include "data/facts.h"
#include "data/filereason.h"
#include "data/outputfile.h"
#include "data/timetext.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

const char *findCr(const char *from, const char *end) {
    return static_cast<const char *>(std::memchr(from, '\r', end - from));
}

// The locale's long time format without its time zone: the user sees the clock time only.
bool fail(QString *error, const QString &reason) {
    if (error) *error = reason;
    return false;
}

bool presentInDir(const QString &path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

QString recordingFileName(QDate date) {
    return QStringLiteral("transfert_%1%2%3.txt")
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.year());
}

bool keepEarlierRecording(const QDir &dir, const QString &name, QString *error) {
    if (!presentInDir(dir.filePath(name))) return true;
    const QFileInfo info(name);
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    // The recording's facts file goes with it, so the number must be free for both.
    const QString facts = QFileInfo(factsPath(dir.filePath(name))).fileName();
    QString kept;
    for (int number = 1;; ++number) {
        kept = QStringLiteral("%1-%2%3").arg(info.completeBaseName()).arg(number).arg(suffix);
        if (!presentInDir(dir.filePath(kept)) && !presentInDir(factsPath(dir.filePath(kept))))
            break;
    }
    if (QDir(dir).rename(name, kept)) {
        if (presentInDir(dir.filePath(facts)))
            QDir(dir).rename(facts, QFileInfo(factsPath(dir.filePath(kept))).fileName());
        return true;
    }
    return fail(error, QStringLiteral("L'enregistrement précédent « %1 » ne peut pas être renommé "
                                      "en « %2 » (dossier protégé en écriture ?).")
                           .arg(name, kept));
}

bool writeRecording(const QString &path, QByteArrayView bytes, QString *error) {
    OutputFile file(path);
    if (!file.open()) return fail(error, filereason::cannotCreate(path, file.error()));
    QByteArray content;
    content.reserve(bytes.size() + 2);
    content.append(bytes).append("\r\n", 2);
    if (file.device().write(content) != content.size()) {
        const int cause = errno; // before cancelling, which may touch it
        file.cancel();
        return fail(error, filereason::cannotWrite(path, cause));
    }
    if (!file.commit()) return fail(error, filereason::cannotWrite(path, file.error()));
    return true;
}

QByteArray recordingText(QByteArrayView raw) {
    const char *const begin = raw.data();
    const char *const end = begin + raw.size();

    // First pass: a lone CR and an unterminated last line each need two bytes more than they
    // have (CR LF ends stay as they are), so the result is allocated once, at its exact size.
    qsizetype size = raw.size();
    for (const char *cr = begin; cr != end && (cr = findCr(cr, end)); ++cr) {
        if (cr + 1 == end || cr[1] != '\n') ++size;
    }
    if (!raw.isEmpty() && !raw.endsWith('\r') && !raw.endsWith("\r\n")) size += 2;

    QByteArray text(size, Qt::Uninitialized);
    char *out = text.data();
    const char *from = begin;
    while (from != end) {
        const char *cr = findCr(from, end);
        const char *lineEnd = cr ? cr : end;
        std::memcpy(out, from, lineEnd - from);
        out += lineEnd - from;
        *out++ = '\r';
        *out++ = '\n';
        if (!cr) break;
        from = (cr + 1 != end && cr[1] == '\n') ? cr + 2 : cr + 1;
    }
    return text;
}

qsizetype longestLine(QByteArrayView text) {
    qsizetype longest = 0;
    const char *from = text.data();
    const char *const end = from + text.size();
    while (from != end) {
        const auto *lf = static_cast<const char *>(std::memchr(from, '\n', end - from));
        const char *lineEnd = lf ? lf : end;
        longest = std::max<qsizetype>(longest, lineEnd - from);
        from = lf ? lf + 1 : end;
    }
    return longest;
}

bool loadRecording(const QString &path, QByteArray *text, QString *error, RecordingShape *shape) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return fail(error, filereason::cannotRead(path));
    const QByteArray raw = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(error, QStringLiteral("La lecture du fichier « %1 » a échoué.")
                               .arg(QFileInfo(path).fileName()));
    *text = recordingText(raw);
    if (shape) {
        SampleDecoder decoder;
        bool any = false;
        const auto seen = [&any](const SampleField &) { any = true; };
        decoder.feed(raw, seen);
        decoder.finish(seen);
        *shape = {decoder.damage(), any};
    }
    return true;
}

QString damageReason(RecordingDamage damage) {
    switch (damage) {
    case RecordingDamage::None:
        break;
    case RecordingDamage::LfLineEnds:
        return QStringLiteral("ses lignes finissent par LF sans CR (fins de ligne changées par un "
                              "autre outil ?) : elles se lisent comme une seule ligne, dont seule "
                              "la première mesure compte");
    case RecordingDamage::NoLineEnd:
        return QStringLiteral("il n'a aucune fin de ligne (CR) : il se lit comme une seule ligne, "
                              "dont seule la première mesure compte, s'il en a une");
    case RecordingDamage::LongLines:
        return QStringLiteral("il a des lignes de plus de %1 octets : ce n'est pas un "
                              "enregistrement de la platine (les champs d'une ligne dont le "
                              "« . » vient plus loin sont laissés vides)")
            .arg(SampleDecoder::kLongestLine);
    }
    return QString();
}

QString recordingCaption(const QFileInfo &info, const QLocale &locale) {
    const QDateTime modified = info.lastModified();
    QString stamp = locale.toString(modified.date(), QLocale::ShortFormat);
    const QTime time = modified.time();
    if (time.hour() != 0 || time.minute() != 0 || time.second() != 0)
        stamp += u' ' + timeOfDayText(time, locale);
    return QStringLiteral("%1 - %2 - %3 oct").arg(info.fileName(), stamp).arg(info.size());
}
