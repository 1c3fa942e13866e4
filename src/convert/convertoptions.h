#pragma once

#include "chart/chartrender.h"

#include <QDateTime>
#include <QLatin1StringView>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

// Exit statuses of the command-line converter, from best to worst: a run ends with the worst
// status of its recordings.
enum ConvertStatus {
    kConvertDone = 0, // every recording converted, every field valid
    // Files written, but some fields were not hexadecimal (empty cells) or the recording is
    // damaged (line ends changed by another tool, none at all, lines no board sends).
    kConvertDoubtful = 1,
    kConvertFailed = 2, // a usage error, or a file that could not be read or written
};

// What each recording NOM.txt gives, beside it or in the folder an option names: NOM.csv, with
// --mesures NOM_mesures.csv (so the raw spreadsheet is never replaced by it), and NOM.png.
inline constexpr QLatin1StringView kSpreadsheetSuffix(".csv");
inline constexpr QLatin1StringView kMeasuresSuffix("_mesures.csv");
inline constexpr QLatin1StringView kChartSuffix(".png");

// What the command-line converter is asked to do, read from its arguments.
struct ConvertOptions {
    QStringList recordings;
    QString output;    // -o: the spreadsheet of the one recording; "-" is standard output
    QString outputDir; // --output-dir: <name>.csv of each recording there
    QString png;       // --png: the chart of the one recording
    QString pngDir;    // --png-dir: <name>.png of each recording there
    QString pdf;       // --pdf: the one-page report of the one recording
    QSize size = chart::kDefaultImageSize; // unless --size gives one
    double interval = 0;   // --interval: seconds between two samples, above 0; 0: none given, the
                           // chart counts samples
    bool measures = false; // --mesures: the measures spreadsheet, <name>_mesures.csv by default
    QString settings;      // --settings: the param.ini holding the channels' settings
    QDateTime start;       // --debut: the moment of the first sample; invalid: none given
    bool help = false;
    bool version = false;

    bool wantsCharts() const { return !png.isEmpty() || !pngDir.isEmpty() || !pdf.isEmpty(); }
    bool operator==(const ConvertOptions &) const = default;
};

// The options, or the French reason why the arguments (without the program's name) make no
// sense: the first wrong value in the order given, else the first rule broken. --help and
// --version win over everything else, whatever their place; the first of them given wins.
struct ParsedOptions {
    std::optional<ConvertOptions> options;
    QString error;
};
ParsedOptions parseConvertOptions(const QStringList &arguments);

// The text of --help, its options' lines, the defaults it states and the exit statuses made from
// the same declarations as the parsing and the run.
QString convertUsage();
