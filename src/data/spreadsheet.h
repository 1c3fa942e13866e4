#pragma once

#include "data/sampledecoder.h"

#include <QString>
#include <QtGlobal>

#include <functional>

class QIODevice;

// Outcome of turning a recording into a spreadsheet file.
struct ConversionReport {
    qint64 values = 0;           // decoded values written
    qint64 invalidFields = 0;    // fields left as an empty cell because they are not hexadecimal
    qint64 firstInvalidLine = 0; // line of the recording (from 1) with the first such field, or 0
    RecordingDamage damage = RecordingDamage::None; // set once the whole recording was read
    bool readError = false;
    bool writeError = false;
    QString error; // French reason when readError or writeError is set

    bool ok() const { return !readError && !writeError; }
};

// What the invalid fields of a conversion mean for the user, in French, without a final "."
// ("4 champ(s) invalide(s) laissé(s) vide(s), le premier à la ligne 2"); empty when there is none.
QString invalidFieldsReason(const ConversionReport &report);

// Writes the spreadsheet text of a recording: the header "Voie1;Voie2;Voie3", then the value of
// every sample field, three to a row, each value followed by ";".
//
// The recording is read as lines ending at a CR (CR LF counting as one end). A line holding a "."
// is a sample line; its field area is the text before its first "." less the one separator just
// before it, cut into 4-character fields every 5 characters (the last one possibly shorter). The
// row count restarts at every sample line, so a line whose field count is not a multiple of three
// leaves a row open that the next sample line continues; the last row has no CR LF when it is
// unfinished. A field that is not hexadecimal gives an empty cell, keeping the columns aligned, and
// so does every field of a line whose first "." lies beyond SampleDecoder::kLongestLine.
//
// Both devices must be open. The recording is read in blocks of up to a megabyte (no larger than
// a recording of known size needs) until read() gives 0, the output written in blocks of the same
// size; a QFileDevice output is flushed, but committing or closing it stays with the caller.
// Conversion stops at the first read or write failure.
ConversionReport convertRecording(QIODevice &recording, QIODevice &spreadsheet);

// Converts the file recordingPath into the file spreadsheetPath, which is replaced only when the
// whole conversion succeeded. Open failures are reported as read or write errors.
ConversionReport convertRecordingFile(const QString &recordingPath, const QString &spreadsheetPath);

// The same for any conversion of a recording into a file, such as writeMeasures.
using RecordingConversion = std::function<ConversionReport(QIODevice &recording, QIODevice &out)>;
ConversionReport convertFile(const QString &recordingPath, const QString &outputPath,
                             const RecordingConversion &convert);
