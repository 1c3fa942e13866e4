#pragma once

#include "convert/convertoptions.h"

#include <QList>
#include <QString>

class QIODevice;

// One recording and where its spreadsheet ("-": standard output) and its chart (empty: none) go.
struct ConvertJob {
    QString recording;
    QString spreadsheet;
    QString chart;
    QString report; // the PDF report, when asked
};

// Where each recording's files go: -o or --png for the one recording; <name>.csv (with --mesures
// <name>_mesures.csv, so the raw spreadsheet is never replaced by it) and <name>.png in
// --output-dir and --png-dir; with no spreadsheet option, beside the recording.
QList<ConvertJob> convertJobs(const ConvertOptions &options);

// Converts every recording in turn, each spreadsheet exactly as the window's conversion writes
// it (with --mesures, writeMeasures's, with the channels' settings of --settings, the interval of
// --interval or else of --settings, and the system's decimal separator) and streamed as it is read,
// so its memory stays bounded whatever the size of the recording. A chart holds every sample of its
// recording (6 bytes each) while it is drawn. A failure with one recording is reported and the next
// one is converted all the same. Each problem is one French line on `errors`, naming the file and
// the reason; `standardOutput` receives the "-" spreadsheet. Returns the ConvertStatus of the whole
// run.
int runConversions(const ConvertOptions &options, QIODevice &standardOutput, QIODevice &errors);
