#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <QStringList>

#include <memory>

class QFile;

// File names exactly as the system gives them. On Unix a name is bytes that need not be valid
// UTF-8 (an old Latin-1 "mesure_été.txt"): each byte that is not part of a valid UTF-8 sequence
// becomes a lone surrogate U+DC80 to U+DCFF, which no valid name produces, so the name goes back
// to the system byte for byte. Elsewhere these are QFile::decodeName and QFile::encodeName.
QString fileNameFromSystem(const QByteArray &name);
QByteArray fileNameToSystem(const QString &name);

// The program's arguments after its own name, as the system gave them: on Windows from its wide
// command line, so that a name keeps every character whatever the code page ("C:\Users\Élodie\…",
// "Łódź.txt"); elsewhere through fileNameFromSystem, byte for byte.
QStringList commandLineArguments(int argc, char *argv[]);

// Opens `file` for reading at `path`, also a path that only fileNameToSystem spells. False, with
// errno set, when it cannot.
bool openForReading(QFile &file, const QString &path);

// A file that the program writes where the user points, whatever is there:
// - a regular file, or a new name, is replaced atomically: the content goes to a temporary file
//   beside it that takes its place only once everything is written and flushed, so a failed
//   write leaves neither a truncated file nor a false success;
// - a symbolic link is followed, and the file it leads to is the one replaced;
// - a device, a named pipe or a socket is written in place, never replaced by a regular file
//   (`-o /dev/stdout` writes to the standard output; as root, `-o /dev/null` leaves the device
//   alone). What such a target received before a failure stays written.
class OutputFile {
public:
    explicit OutputFile(const QString &path);
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // False, with error() the system's error number, when the target cannot be opened for writing.
    bool open();
    // Where the content goes, once open() succeeded.
    QIODevice &device();
    // Flushes everything and puts the file in place. False, with error() set, when a write or the
    // replacement failed: a replaced file then keeps its former content.
    bool commit();
    // Gives up: a file being replaced keeps its former content.
    void cancel();
    int error() const { return m_error; }

private:
    bool fail();

    QString m_path;
    std::unique_ptr<QFileDevice> m_file;
    QString m_temporary; // the temporary file of a replacement made here rather than by QSaveFile
    QString m_target;
    int m_error = 0;
};
