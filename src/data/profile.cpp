#include "data/profile.h"

#include "data/filereason.h"
#include "data/outputfile.h"

#include <QFile>

#include <cerrno>
#include <optional>

namespace {

QByteArray trimmedBlanks(QByteArrayView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    return text.sliced(begin, end - begin).toByteArray();
}

bool sameName(const QByteArray &a, const QByteArray &b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Some editors start the file with a UTF-8 byte-order mark. It is no part of the first line (it
// would hide the first section), but it is kept when the file is rewritten.
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// Splits the file into its lines, without their LF or CR LF ends, and without a byte-order mark.
QList<QByteArray> splitLines(QByteArray content) {
    if (content.startsWith(kByteOrderMark)) content.remove(0, 3);
    QList<QByteArray> lines = content.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the end of the last line, not an extra line
    for (QByteArray &line : lines) {
        if (line.endsWith('\r')) line.chop(1);
    }
    return lines;
}

// Name of the section a header line opens, or nothing when the line is not a header.
std::optional<QByteArray> sectionName(const QByteArray &line) {
    const QByteArray trimmed = trimmedBlanks(line);
    if (!trimmed.startsWith('[')) return std::nullopt;
    const qsizetype close = trimmed.indexOf(']');
    if (close < 0) return std::nullopt;
    return trimmedBlanks(QByteArrayView(trimmed).sliced(1, close - 1));
}

// Whether a line sets the given key; the value part goes to *value.
bool isKeyLine(const QByteArray &line, const QByteArray &key, QByteArray *value = nullptr) {
    const qsizetype equals = line.indexOf('=');
    if (equals < 0 || !sameName(trimmedBlanks(QByteArrayView(line).first(equals)), key))
        return false;
    if (value) *value = trimmedBlanks(QByteArrayView(line).sliced(equals + 1));
    return true;
}

void setReason(QString *error, const QString &reason) {
    if (error) *error = reason;
}

} // namespace

Profile::Profile(QString path) : m_path(std::move(path)) {
}

Profile Profile::inMemory(QByteArray content) {
    Profile profile{QString()};
    profile.m_memory = std::move(content);
    return profile;
}

QByteArray Profile::value(const QByteArray &section, const QByteArray &key) const {
    QByteArray content;
    if (m_memory) {
        content = *m_memory;
    } else {
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly)) return {};
        content = file.readAll();
    }
    bool inSection = false;
    for (const QByteArray &line : splitLines(content)) {
        if (const auto name = sectionName(line)) {
            if (inSection) return {}; // only the first section of that name counts
            inSection = sameName(*name, section);
            continue;
        }
        QByteArray found;
        if (inSection && isKeyLine(line, key, &found)) return found;
    }
    return {};
}

bool Profile::setValue(const QByteArray &section, const QByteArray &key, const QByteArray &value,
                       QString *error) {
    // A line break or a NUL in a value would split it into lines of its own, which could change
    // other keys or sections of the file when it is read back.
    if (value.contains('\r') || value.contains('\n') || value.contains('\0')) {
        setReason(error,
                  QStringLiteral("La valeur de « %1 » contient un saut de ligne ou un octet nul : "
                                 "elle n'a pas été enregistrée.")
                      .arg(QString::fromLatin1(section)));
        return false;
    }

    QByteArray content;
    if (m_memory) {
        content = *m_memory;
    } else if (QFile existing(m_path); existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly)) {
            const int cause = errno;
            setReason(error, QStringLiteral("Impossible de lire le fichier de paramètres %1 : %2.")
                                 .arg(m_path, filereason::systemReason(cause)));
            return false;
        }
        content = existing.readAll();
    }
    const bool byteOrderMark = content.startsWith(kByteOrderMark);
    QList<QByteArray> lines = splitLines(content);

    qsizetype sectionStart = -1; // index of the header line
    qsizetype insertAt = -1;     // just after the last non-blank line of the section
    bool done = false;
    for (qsizetype i = 0; i < lines.size() && !done; ++i) {
        if (const auto name = sectionName(lines[i])) {
            if (sectionStart >= 0) break;
            if (sameName(*name, section)) sectionStart = insertAt = i;
            continue;
        }
        if (sectionStart < 0) continue;
        if (isKeyLine(lines[i], key)) {
            // The key keeps the spelling the file gave it.
            const qsizetype equals = lines[i].indexOf('=');
            lines[i] = trimmedBlanks(QByteArrayView(lines[i]).first(equals)) + '=' + value;
            done = true;
        } else if (!trimmedBlanks(lines[i]).isEmpty()) {
            insertAt = i;
        }
    }
    if (!done && sectionStart >= 0) {
        lines.insert(insertAt + 1, key + '=' + value);
    } else if (!done) {
        lines.append('[' + section + ']');
        lines.append(key + '=' + value);
    }

    QByteArray text = byteOrderMark ? QByteArray(kByteOrderMark) : QByteArray();
    for (const QByteArray &line : std::as_const(lines))
        text += line + "\r\n";
    if (m_memory) {
        m_memory = text;
        return true;
    }

    OutputFile file(m_path);
    if (!file.open()) {
        setReason(error, QStringLiteral("Impossible d'écrire le fichier de paramètres : %1")
                             .arg(filereason::cannotCreate(m_path, file.error())));
        return false;
    }
    const bool written = file.device().write(text) == text.size();
    const int cause = written ? 0 : errno; // before cancelling, which may touch it
    if (!written || !file.commit()) {
        setReason(error, QStringLiteral("Impossible d'écrire le fichier de paramètres : %1")
                             .arg(filereason::cannotWrite(m_path, written ? file.error() : cause)));
        return false;
    }
    return true;
}
