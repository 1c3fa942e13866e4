#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

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

private:
    QString m_path;
    std::optional<QByteArray> m_memory;
};
