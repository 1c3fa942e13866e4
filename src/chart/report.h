#pragma once

#include "chart/chartrender.h"

#include "data/facts.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

class SampleSeries;

namespace chart {

// What a report tells of a recording and of the range of it that the chart shows.
struct ReportContent {
    QString name; // the recording's file name, the report's title
    RecordingFacts facts;
    // The samples, which must outlive writeReport(); none draws an empty chart.
    const SampleSeries *series = nullptr;
    // The chart as shown: its range, hidden channels, interval and the channels' settings (its
    // locale gives way to `locale`).
    Options options;
    QString version;  // the program's, in the footer
    QDateTime moment; // when the report is made, in the footer
    // Every number of the report, the chart's included: this locale's decimal separator (a comma
    // in French), no group separator.
    QLocale locale = QLocale(QLocale::French, QLocale::France);
};

// Writes a one-page A4 PDF report at path: the recording's name as its title; its facts (board,
// download, start and how it was found, end, period, switch, interval; what is not known said
// "inconnu"); the chart of the shown range, drawn as vectors by paint(); the channels' names,
// units, calibration points and limits; for each visible channel over the shown range its
// minimum and maximum with the time of the sample where each first occurs, its mean and its time
// outside limits; and a footer with the program's version and the report's moment. The file is
// replaced only once the whole report is written (OutputFile): false, with the French reason in
// *error, when it cannot be.
bool writeReport(const QString &path, const ReportContent &content, QString *error = nullptr);

} // namespace chart
