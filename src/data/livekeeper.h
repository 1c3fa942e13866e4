#pragma once

#include "data/facts.h"
#include "data/sampledecoder.h"

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
    // Ends the file; the next chunk starts another one. False, with the French reason in *error,
    // when its facts file could not be written.
    bool close(QString *error = nullptr);

    // What is known of the readings kept from now on (port, board, interval, channels): each file
    // gets a facts file beside it (RecordingFacts, factsPath), written when the file starts and
    // again when it ends, its start the arrival of the first chunk and its samples timed by the
    // arrival of their chunks.
    void setFacts(const RecordingFacts &facts) { m_template = facts; }
    // A sentence said of the reading's limits, kept in its facts file.
    void note(const QString &sentence);

    bool isOpen() const { return m_file.isOpen(); }
    // The file being written, or the last one written; empty before the first.
    QString path() const { return m_file.fileName(); }

private:
    bool start(QString *error);

    QString m_directory;
    Now m_now;
    QFile m_file;
    RecordingFacts m_template;
    RecordingFacts m_facts; // of the file being written
    SampleDecoder m_decoder;
    qint64 m_samples = 0;
};

// The name of a live file started at `moment`: "temps_reel_05122026_143005.txt".
QString liveFileName(const QDateTime &moment);
