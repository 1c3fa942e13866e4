#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QFile>
#include <QString>

#include <functional>

// Keeps what real-time reading receives: each chunk is appended, byte for byte, to
// temps_reel_<DDMMYYYY>_<HHMMSS>.txt in a given folder, the file being started by the first chunk
// after close() (named after that moment) and ended by close(). Each chunk goes straight to the
// system as it comes, without a buffer in the program, so the file on disk always holds
// everything received so far: nothing waits for a flush, and a crash loses nothing. At the board's
// rate that is at most ten small writes a second.
//
// The moment that names the file comes from `now`, which tests replace.
class LiveKeeper {
public:
    using Now = std::function<QDateTime()>;

    explicit LiveKeeper(
        QString directory, Now now = [] { return QDateTime::currentDateTime(); });
    LiveKeeper(const LiveKeeper &) = delete;
    LiveKeeper &operator=(const LiveKeeper &) = delete;

    // Appends `chunk` (an empty one is nothing to keep), starting a new file first when none is
    // open. False, with a French reason in *error, when the file cannot be made or written: it is
    // then closed, with what it received until then.
    bool append(QByteArrayView chunk, QString *error = nullptr);
    // Ends the file; the next chunk starts another one.
    void close();

    bool isOpen() const { return m_file.isOpen(); }
    // The file being written, or the last one written; empty before the first.
    QString path() const { return m_file.fileName(); }

private:
    bool start(QString *error);

    QString m_directory;
    Now m_now;
    QFile m_file;
};

// The name of a live file started at `moment`: "temps_reel_05122026_143005.txt".
QString liveFileName(const QDateTime &moment);
