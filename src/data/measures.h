#pragma once

#include "data/channelsettings.h"
#include "data/facts.h"
#include "data/spreadsheet.h"

#include <QLocale>
#include <QString>

class QIODevice;

// How a measures spreadsheet is laid out: the channels' names, units and calibrations, the time
// between two samples, and the locale that chooses the decimal separator.
struct MeasuresLayout {
    ChannelSettings channels;
    double interval = 0; // seconds between two samples; 0: unknown, no time column
    QLocale locale = QLocale::c();
    qint64 firstRow = 0; // the number of the first row written in the whole recording
    // When each row was measured; when it is known, a "Date et heure" column follows the time.
    SampleClock clock = {};
};

// Writes a spreadsheet of physical values beside the raw one of convertRecording: the same rows
// (one sample each, read by the same decoder), but
// - a header "Temps (s);Date et heure;Voie1 (V);Voie2;Voie3": the time column only when the
//   interval is known, the date and time column ("2026-12-06 14:03:12", local time, with
//   milliseconds when the interval or the moments have some) only when the clock is,
//   a channel's title its name and, when it has one, its unit in brackets (a title holding ";" or
//   '"' is quoted as spreadsheets quote it);
// - on each row the time ((firstRow + row index from 0) × interval), its date and time (the
//   clock's moment of row firstRow + index), then the calibrated value of the row's column k on
//   channel k; an invalid field, or a channel the last, unfinished, row lacks, is an
//   empty cell; cells a row holds beyond the third belong to no channel and are left out;
// - numbers with up to 15 significant digits (what a spreadsheet keeps; it also hides binary
//   noise such as 0.30000000000000004), without exponent between 1e-15 and 1e15, with a decimal
//   comma when the locale's separator is one; cells separated by ";", rows ended by CR LF, no ";"
//   after the last cell;
// - UTF-8 with a byte-order mark, so that spreadsheets read the units' "°" or "µ" right.
// The report counts the values written and every invalid field of the recording, as
// convertRecording's does. Streamed: memory stays bounded whatever the recording's size.
ConversionReport writeMeasures(QIODevice &recording, QIODevice &out, const MeasuresLayout &layout);

// The same from file to file, the output replaced only when everything was written (OutputFile).
ConversionReport writeMeasuresFile(const QString &recordingPath, const QString &outputPath,
                                   const MeasuresLayout &layout);

// A number as the measures spreadsheet writes it, with `decimalPoint` as its separator.
QString measureText(double value, QChar decimalPoint = u'.');
