#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

// Reads and writes the sectioned settings text file (param.ini): "[section]" header lines,
// "key=value" lines without blanks around "=", CR LF line ends.
//
// Section and key names match without regard to letter case. When a section or a key appears more
// than once, the first one counts. Reading tolerates LF-only line ends and blanks around names and
// values; writing rewrites every line with CR LF and keeps all other content as it was.
class Profile {
public:
    explicit Profile(QString path);
    // A settings text held in memory instead of a file: reading and writing work on it alone.
    static Profile inMemory(QByteArray content);

    QString path() const { return m_path; }
    // The text held in memory; empty for a profile on a file.
    QByteArray content() const { return m_memory.value_or(QByteArray()); }

    // Value of key in section, or empty when the file, the section or the key is missing.
    QByteArray value(const QByteArray &section, const QByteArray &key) const;

    // Sets key=value in section keeping every other line of the file (comments, other sections,
    // unknown lines); adds the key at the end of its section, or the section at the end of the
    // file, or creates the file. False with a plain French reason in *error when it can't be
    // written. The file is replaced atomically: a failed write leaves it as it was.
    bool setValue(const QByteArray &section, const QByteArray &key, const QByteArray &value,
                  QString *error = nullptr);

    // The keys and values of a section, in the order of the file (the first section of that name);
    // empty when it is missing. One reading of the file, whatever the section's length.
    using Entries = QList<std::pair<QByteArray, QByteArray>>;
    Entries section(const QByteArray &section) const;
    // Replaces the lines of a section with `entries` ("key=value" each), keeping every other line;
    // adds the section at the end when it is missing. One pass, whatever the section's length.
    // Refused as setValue refuses a value, with the reason in *error.
    bool setSection(const QByteArray &section, const Entries &entries, QString *error = nullptr);

    // Sets several keys with setValue on `text`, stopping at the first that fails.
    using Changes = std::function<bool(Profile &text, QString *error)>;
    // One save of several keys, whole or not at all: `changes` sets them on the file's text in
    // memory, then the file is replaced once, holding all of them, byte for byte as the same
    // setValue calls one after the other would have left it. When a key is refused or the file
    // cannot be read or written, the file stays as it was (so does the text of a profile in
    // memory) and *error gives the reason, as setValue gives it. A save that sets no key leaves
    // the file untouched.
    bool save(const Changes &changes, QString *error = nullptr);

private:
    // The file's content into *content, empty when there is no file; false, with the reason, when
    // it exists but cannot be read.
    bool readContent(QByteArray *content, QString *error) const;
    // Replaces the file with `text`.
    bool writeContent(const QByteArray &text, QString *error) const;
    // The text a change starts from: that of the memory, or the file's; false, with the reason,
    // when the file (or the one a save works on) cannot be read.
    bool contentToChange(QByteArray *content, QString *error) const;
    // Puts the changed text in place: in memory (and notes the change), or as the file.
    bool replaceContent(const QByteArray &text, QString *error);

    QString m_path;
    std::optional<QByteArray> m_memory;
    // The text of a save under way: why its file could not be read, which the first key set
    // gives as its reason, and whether a key was set.
    QString m_unreadable;
    bool m_changed = false;
};
