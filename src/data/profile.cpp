#include "data/profile.h"

#include "data/filereason.h"
#include "data/outputfile.h"

#include <QFile>

#include <cerrno>
#include <optional>

namespace {

QByteArrayView trimmedBlanks(QByteArrayView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    return text.sliced(begin, end - begin);
}

bool sameName(QByteArrayView a, QByteArrayView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Some editors start the file with a UTF-8 byte-order mark. It is no part of the first line (it
// would hide the first section), but it is kept when the file is rewritten.
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// Walks the lines of a file, each without its LF or CR LF end, with no copy of them. A byte-order
// mark is no part of the first line; an empty piece after the last LF is no extra line.
class Lines {
public:
    explicit Lines(QByteArrayView content)
        : m_rest(content.startsWith(kByteOrderMark) ? content.sliced(3) : content) {}

    // The next line into *line; false once there is none.
    bool next(QByteArrayView *line) {
        if (m_rest.isEmpty()) return false;
        const qsizetype lf = m_rest.indexOf('\n');
        *line = lf < 0 ? m_rest : m_rest.first(lf);
        if (line->endsWith('\r')) line->chop(1);
        m_rest = lf < 0 ? QByteArrayView() : m_rest.sliced(lf + 1);
        return true;
    }

private:
    QByteArrayView m_rest;
};

// Name of the section a header line opens, or nothing when the line is not a header.
std::optional<QByteArrayView> sectionName(QByteArrayView line) {
    const QByteArrayView trimmed = trimmedBlanks(line);
    if (!trimmed.startsWith('[')) return std::nullopt;
    const qsizetype close = trimmed.indexOf(']');
    if (close < 0) return std::nullopt;
    return trimmedBlanks(trimmed.sliced(1, close - 1));
}

// Whether a line sets the given key.
bool isKeyLine(QByteArrayView line, QByteArrayView key) {
    const qsizetype equals = line.indexOf('=');
    return equals >= 0 && sameName(trimmedBlanks(line.first(equals)), key);
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
    for (const auto &[name, value] : this->section(section))
        if (sameName(name, key)) return value;
    return {};
}

namespace {
// A line break or a NUL in a value would split it into lines of its own, which could change
// other keys or sections of the file when it is read back.
bool refusedValue(const QByteArray &section, const QByteArray &value, QString *error) {
    if (!value.contains('\r') && !value.contains('\n') && !value.contains('\0')) return false;
    setReason(error,
              QStringLiteral("La valeur de « %1 » contient un saut de ligne ou un octet nul : "
                             "elle n'a pas été enregistrée.")
                  .arg(QString::fromLatin1(section)));
    return true;
}
} // namespace

Profile::Entries Profile::section(const QByteArray &section) const {
    QByteArray content;
    if (m_memory) {
        content = *m_memory;
    } else {
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly)) return {}; // an unreadable file reads as empty
        content = file.readAll();
    }
    Entries entries;
    bool inSection = false;
    Lines lines(content);
    for (QByteArrayView line; lines.next(&line);) {
        if (const auto name = sectionName(line)) {
            if (inSection) break; // only the first section of that name counts
            inSection = sameName(*name, section);
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (inSection && equals >= 0)
            entries.append({trimmedBlanks(line.first(equals)).toByteArray(),
                            trimmedBlanks(line.sliced(equals + 1)).toByteArray()});
    }
    return entries;
}

bool Profile::setSection(const QByteArray &section, const Entries &entries, QString *error) {
    for (const auto &entry : entries)
        if (refusedValue(section, entry.second, error)) return false;
    QByteArray content;
    if (!contentToChange(&content, error)) return false;
    QByteArray lines = '[' + section + "]\r\n";
    for (const auto &[key, value] : entries)
        lines.append(key).append('=').append(value).append("\r\n");
    QByteArray text;
    text.reserve(content.size() + lines.size() + 8);
    if (content.startsWith(kByteOrderMark)) text.append(kByteOrderMark);
    enum { Before, Inside, After } place = Before;
    Lines all(content);
    for (QByteArrayView line; all.next(&line);) {
        if (const auto name = sectionName(line); name && place != After) {
            if (place == Inside) {
                place = After;
            } else if (sameName(*name, section)) {
                place = Inside;
                text.append(lines);
                continue;
            }
        }
        if (place != Inside) text.append(line).append("\r\n");
    }
    if (place == Before) text.append(lines);
    return replaceContent(text, error);
}

bool Profile::setValue(const QByteArray &section, const QByteArray &key, const QByteArray &value,
                       QString *error) {
    if (refusedValue(section, value, error)) return false;
    QByteArray content;
    if (!contentToChange(&content, error)) return false;
    qsizetype sectionStart = -1; // the section's header line
    qsizetype insertAt = -1;     // the section's last non-blank line, which the key follows
    qsizetype replaceAt = -1;    // the key's line
    qsizetype count = 0;         // lines of the file
    bool searching = true;       // the key may still come
    QByteArray keyLine = key + '=' + value;
    Lines lines(content);
    for (QByteArrayView line; lines.next(&line); ++count) {
        if (!searching) continue;
        if (const auto name = sectionName(line)) {
            if (sectionStart >= 0)
                searching = false;
            else if (sameName(*name, section))
                sectionStart = insertAt = count;
            continue;
        }
        if (sectionStart < 0) continue;
        if (isKeyLine(line, key)) {
            // The key keeps the spelling the file gave it.
            keyLine = trimmedBlanks(line.first(line.indexOf('='))).toByteArray() + '=' + value;
            replaceAt = count;
            searching = false;
        } else if (!trimmedBlanks(line).isEmpty()) {
            insertAt = count;
        }
    }

    QByteArray text;
    text.reserve(content.size() + count + keyLine.size() + section.size() + 8);
    if (content.startsWith(kByteOrderMark)) text.append(kByteOrderMark);
    Lines again(content);
    qsizetype at = 0;
    for (QByteArrayView line; again.next(&line); ++at) {
        text.append(at == replaceAt ? QByteArrayView(keyLine) : line).append("\r\n");
        if (at == insertAt && replaceAt < 0) text.append(keyLine).append("\r\n");
    }
    if (sectionStart < 0) text.append('[' + section + "]\r\n" + keyLine + "\r\n");
    return replaceContent(text, error);
}

bool Profile::save(const Changes &changes, QString *error) {
    Profile text = inMemory(m_memory.value_or(QByteArray()));
    text.m_unreadable = m_unreadable;
    // A file that cannot be read reads as empty, as value() reads it, and refuses every key set.
    if (!m_memory) readContent(&*text.m_memory, &text.m_unreadable);
    if (!changes(text, error)) return false;
    if (!text.m_changed) return true;
    return replaceContent(*text.m_memory, error);
}

bool Profile::contentToChange(QByteArray *content, QString *error) const {
    if (!m_unreadable.isEmpty()) {
        setReason(error, m_unreadable);
        return false;
    }
    if (!m_memory) return readContent(content, error);
    *content = *m_memory;
    return true;
}

bool Profile::replaceContent(const QByteArray &text, QString *error) {
    if (!m_memory) return writeContent(text, error);
    m_memory = text;
    m_changed = true;
    return true;
}

bool Profile::readContent(QByteArray *content, QString *error) const {
    content->clear();
    QFile existing(m_path);
    if (!existing.exists()) return true;
    if (!existing.open(QIODevice::ReadOnly)) {
        const int cause = errno;
        setReason(error, QStringLiteral("Impossible de lire le fichier de paramètres %1 : %2.")
                             .arg(m_path, filereason::systemReason(cause)));
        return false;
    }
    *content = existing.readAll();
    return true;
}

bool Profile::writeContent(const QByteArray &text, QString *error) const {
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
