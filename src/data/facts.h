#pragma once

#include "data/channelsettings.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

class Profile;

// A moment as the program writes it in its files and spreadsheets: ISO 8601 local time with a
// blank between date and time, which spreadsheets read as a date, "2026-12-06 14:03:12"; the
// milliseconds follow only when there are some, "2026-12-06 14:03:12.500".
QString dateTimeText(const QDateTime &moment);
// A moment of the clock without its milliseconds, as the program notes the moments it records:
// a start taken from them gives whole seconds in every "Date et heure".
QDateTime wholeSecond(const QDateTime &moment);
// A moment as typed or stored: "2026-12-06 14:03:12", "2026-12-06 14:03", "2026-12-06T14:03:12",
// milliseconds allowed, blanks around; local time. Nothing when the text is no such moment.
std::optional<QDateTime> parseDateTimeText(const QString &text);

// `msecs` after `moment` as a clock on the wall shows it, counted on from its date and time
// without the jumps of daylight saving, so that samples one interval apart stay one interval
// apart on the chart and in the spreadsheet.
QDateTime countedOn(const QDateTime &moment, qint64 msecs);

// How the start of a recording was found.
enum class StartOrigin {
    Unknown,     // not known: no reset known and no interval to count back with
    LastReset,   // the board's last confirmed "RAZ mémoire"
    CountedBack, // the download's end less the samples times the interval
    Corrected,   // given by the user
    Arrival,     // a real-time reading: the arrival of its first samples
};

// The time of each sample of a recording: from its start, one interval apart; or, for a kept
// real-time reading, the arrival of the chunk that brought it (each arrival: the number of the
// first sample of its chunk and the moment it came, in order).
struct SampleClock {
    QDateTime start;
    double interval = 0; // seconds
    QList<std::pair<qint64, QDateTime>> arrivals;

    bool known() const { return start.isValid() && (interval > 0 || !arrivals.isEmpty()); }
    bool operator==(const SampleClock &) const = default;
    // The moment of sample `row` (from 0), counted on from the start (countedOn), or its chunk's
    // arrival; invalid when not known.
    QDateTime at(qint64 row) const;
};

// How a start was found, in French: "dernière RAZ", "compté à rebours depuis le téléchargement",
// "corrigé", "arrivée des mesures"; "inconnu" when it is not known.
QString startOriginText(StartOrigin origin);

// What the program knows of a recording, kept beside it in a settings-format file of the same
// name with the extension ".ini" (transfert_06122026.txt: transfert_06122026.ini). The recording
// itself stays the board's bytes.
struct RecordingFacts {
    bool live = false;  // a kept real-time reading rather than a download
    QDateTime recorded; // when the download ended, or when the reading began
    QString port;       // "COM1"
    QString device;     // "/dev/ttyUSB0"
    QString serialNumber;
    std::optional<quint16> periodCode; // the period last sent to the board, when known
    int boardSwitch = 0;               // the switch S, 1 to 7; 0: not known
    double interval = 0;               // seconds between two samples; 0: not known
    QDateTime start;
    StartOrigin startOrigin = StartOrigin::Unknown;
    ChannelSettings channels;
    // Arrivals of a real-time reading's chunks (SampleClock::arrivals).
    QList<std::pair<qint64, QDateTime>> arrivals;
    // What a real-time reading said of its channels' limits, in order:
    // "Température au-dessus de 30 °C depuis 14:03:12".
    QStringList excursions;

    SampleClock clock() const { return {start, interval, arrivals}; }
    bool operator==(const RecordingFacts &) const = default;

    // Reads the facts file at `path`; nothing when it is missing or cannot be read. A value that
    // does not read is left as unknown: a damaged file gives what it still says.
    static std::optional<RecordingFacts> read(const QString &path);
    // Writes every fact into the file at `path` in one replacement: all of them or, when it cannot
    // be written, nothing, with the reason in *error. Other lines of the file are kept.
    bool save(const QString &path, QString *error = nullptr) const;
};

// The facts file of the recording at `recordingPath`: the same name, the extension ".ini".
QString factsPath(const QString &recordingPath);

// A download's start: the board's last confirmed reset when it is known (and not after the end);
// else counted back from the download's end by the samples' duration when the interval is known;
// else unknown.
std::pair<QDateTime, StartOrigin> downloadStart(const QDateTime &lastReset, const QDateTime &end,
                                                qint64 samples, double interval);

// What the program notes in param.ini of a board, by its identity (BoardHistory keys).
struct BoardHistory {
    QDateTime lastReset;           // its last confirmed "RAZ mémoire"
    QDateTime lastProgramming;     // its last confirmed "Envoi programmation"
    std::optional<quint16> period; // the period code then sent

    static BoardHistory read(const Profile &profile, const QString &identity);
    // One replacement of the file: the board's three keys or, on failure, none.
    bool save(Profile &profile, const QString &identity, QString *error = nullptr) const;
};
