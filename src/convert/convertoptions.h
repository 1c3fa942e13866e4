#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

// What the command-line converter is asked to do, read from its arguments.
struct ConvertOptions {
    QStringList recordings;
    QString output;    // -o: the spreadsheet of the one recording; "-" is standard output
    QString outputDir; // --output-dir: <name>.csv of each recording there
    QString png;       // --png: the chart of the one recording
    QString pngDir;    // --png-dir: <name>.png of each recording there
    QSize size{1200, 600};
    double interval = 0;   // --interval: seconds between two samples, above 0; 0: none given, the
                           // chart counts samples
    bool measures = false; // --mesures: the measures spreadsheet, <name>_mesures.csv by default
    QString settings;      // --settings: the param.ini holding the channels' settings
    bool help = false;
    bool version = false;

    bool wantsCharts() const { return !png.isEmpty() || !pngDir.isEmpty(); }
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

// The text of --help, its options' lines made from the same declarations as the parsing.
QString convertUsage();
