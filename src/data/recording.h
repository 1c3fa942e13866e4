#pragma once

#include "data/sampledecoder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>

class QDir;
class QFileInfo;
class QLocale;

// Name of the recording file a download started on date writes: "transfert_" followed by the day
// and month on two digits and the year, then ".txt" (5 December 2026: transfert_05122026.txt).
QString recordingFileName(QDate date);

// Moves an earlier file called name in dir out of the way so that a new download can take the
// name: "transfert_05122026.txt" becomes "transfert_05122026-1.txt", or -2, -3 ... the first
// number free for it and for its facts file, which moves with it (transfert_05122026-1.ini). True
// when nothing had to move or the move worked; otherwise false with a French reason.
bool keepEarlierRecording(const QDir &dir, const QString &name, QString *error);

// Creates or replaces the file at path with bytes followed by CR LF, written in one go. The file
// is replaced only when everything was written; a missing or protected directory, a directory in
// the way or a full disk gives false with a French reason, and the former file is kept.
bool writeRecording(const QString &path, QByteArrayView bytes, QString *error);

// The text of a recording as the receive area shows it: every line (ended by a CR, or a CR LF
// counting as one end) followed by CR LF, the last line too when the file does not end with a line
// end. A lone LF is an ordinary character. Empty input gives empty text.
QByteArray recordingText(QByteArrayView raw);

// Length of the longest line of a text as the receive area shows it (lines end at LF).
qsizetype longestLine(QByteArrayView text);

// What a recording's one reading found of its shape: its damage, and whether it holds at least one
// sample field as the chart and the conversion read them.
struct RecordingShape {
    RecordingDamage damage = RecordingDamage::None;
    bool holdsSamples = false;
};

// Reads the recording file at path into *text, and what its shape says into *shape when given.
// False with a French reason when it cannot be read.
bool loadRecording(const QString &path, QByteArray *text, QString *error,
                   RecordingShape *shape = nullptr);

// What the damage means for the user, in French, to follow "« name » : "; empty for None.
QString damageReason(RecordingDamage damage);

// Caption of an opened recording: file name, " - ", last modification as the locale's short date
// and long time (time left out at exactly midnight), " - ", the size in bytes and " oct".
QString recordingCaption(const QFileInfo &info, const QLocale &locale);
