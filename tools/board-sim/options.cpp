#include "options.h"

#include <QCommandLineParser>
#include <QFile>

#include <cstdio>

namespace {

void printError(const QString &message) {
    std::fprintf(stderr, "volterne-board-sim: %s\n", qPrintable(message));
}

// Reads a whole-number option in [minimum, maximum]; reports and returns false when it is not.
bool readNumber(const QCommandLineParser &parser, const QString &name, int minimum, int maximum,
                int *target) {
    if (!parser.isSet(name)) return true;
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value < minimum || value > maximum) {
        printError(QStringLiteral("--%1 wants a whole number from %2 to %3")
                       .arg(name)
                       .arg(minimum)
                       .arg(maximum));
        return false;
    }
    *target = value;
    return true;
}

bool readDuration(const QCommandLineParser &parser, const QString &name, int minimum,
                  std::chrono::milliseconds *target) {
    int value = int(target->count());
    if (!readNumber(parser, name, minimum, 3600 * 1000, &value)) return false;
    *target = std::chrono::milliseconds(value);
    return true;
}

} // namespace

std::optional<Options> parseOptions(const QStringList &arguments, int *exitCode) {
    *exitCode = 2;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulated data-logger board (PIC 16F88, 9600 baud) on a pseudo-terminal.\n"
                       "Prints the device path to open as the first line of its output, then "
                       "announces itself and answers the commands RAZ, Transfert, Param, TR and "
                       "eeprom as the board does. Ends on SIGTERM or SIGINT."));
    parser.addHelpOption();
    const auto value = [](const char *name, const char *description, const char *valueName) {
        return QCommandLineOption(QLatin1String(name), QLatin1String(description),
                                  QLatin1String(valueName));
    };
    parser.addOptions({
        value("cycle-ms",
              "Idle: time from one banner to the next (default 2000; never less than "
              "six gaps).",
              "ms"),
        value("gap-ms", "Pause between two bursts; 250 or more keeps them apart (default 300).",
              "ms"),
        value("erase-ms", "Duration of the memory erase (default 1500).", "ms"),
        value("line-rate",
              "Bytes per second on the line (default 960, as at 9600 baud; 0 sends "
              "each burst at once).",
              "bytes"),
        value("samples",
              "Sample lines in memory at start-up, which the download sends (default 120). RAZ "
              "empties the memory; each line of a real-time reading is recorded in it.",
              "count"),
        value("serve", "Hold this file's bytes, unchanged, as the memory the download sends.",
              "file"),
        QCommandLineOption(QStringLiteral("keep-memory"),
                           QStringLiteral("RAZ answers as usual but leaves the memory as it was, "
                                          "so a download after it sends the same data again.")),
        value("live-ms", "Real-time mode: period of the sample lines (default 1000).", "ms"),
        value("live-count", "Real-time mode: lines sent before announcing again (default 30).",
              "count"),
        value("log", "Record every byte received, with time stamps, in this file.", "file"),
        value("wire",
              "Record the device under this port name (COM1 to COM12) in [ports] of the "
              "settings file given by --ini and select that port there ([COM]); the file and "
              "its folder are created when missing.",
              "COMn"),
        value("ini", "Settings file for --wire.", "file"),
        QCommandLineOption(QStringLiteral("silent"),
                           QStringLiteral("Never send anything; still read and log.")),
        value("fault", "Misbehave: glued-banner, split-end, garbage or mute.", "kind"),
    });
    if (!parser.parse(arguments)) {
        printError(parser.errorText());
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        *exitCode = 0;
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        printError(QStringLiteral("unexpected argument %1").arg(parser.positionalArguments()[0]));
        return std::nullopt;
    }

    Options options;
    if (!readDuration(parser, QStringLiteral("cycle-ms"), 1, &options.cycle) ||
        !readDuration(parser, QStringLiteral("gap-ms"), 1, &options.gap) ||
        !readDuration(parser, QStringLiteral("erase-ms"), 0, &options.erase) ||
        !readDuration(parser, QStringLiteral("live-ms"), 1, &options.livePeriod) ||
        !readNumber(parser, QStringLiteral("line-rate"), 0, 1000 * 1000, &options.lineRate) ||
        !readNumber(parser, QStringLiteral("samples"), 0, 1000 * 1000, &options.samples) ||
        !readNumber(parser, QStringLiteral("live-count"), 0, 1000 * 1000, &options.liveCount))
        return std::nullopt;

    options.servePath = parser.value(QStringLiteral("serve"));
    if (!options.servePath.isEmpty()) {
        QFile file(options.servePath);
        if (!file.open(QIODevice::ReadOnly)) {
            printError(
                QStringLiteral("cannot read %1: %2").arg(options.servePath, file.errorString()));
            return std::nullopt;
        }
        options.served = file.readAll();
    }
    options.logPath = parser.value(QStringLiteral("log"));
    options.silent = parser.isSet(QStringLiteral("silent"));
    options.keepMemory = parser.isSet(QStringLiteral("keep-memory"));

    options.wirePort = parser.value(QStringLiteral("wire"));
    options.iniPath = parser.value(QStringLiteral("ini"));
    if (options.wirePort.isEmpty() != options.iniPath.isEmpty()) {
        printError(QStringLiteral("--wire and --ini go together"));
        return std::nullopt;
    }
    if (!options.wirePort.isEmpty()) {
        bool ok = false;
        const int number = options.wirePort.mid(3).toInt(&ok);
        if (!options.wirePort.startsWith(QLatin1String("COM")) || !ok || number < 1 ||
            number > 12) {
            printError(QStringLiteral("--wire wants a port name from COM1 to COM12"));
            return std::nullopt;
        }
    }

    const QString fault = parser.value(QStringLiteral("fault"));
    if (fault == QLatin1String("glued-banner"))
        options.fault = Fault::GluedBanner;
    else if (fault == QLatin1String("split-end"))
        options.fault = Fault::SplitEnd;
    else if (fault == QLatin1String("garbage"))
        options.fault = Fault::Garbage;
    else if (fault == QLatin1String("mute"))
        options.fault = Fault::Mute;
    else if (!fault.isEmpty()) {
        printError(
            QStringLiteral("unknown fault %1 (glued-banner, split-end, garbage, mute)").arg(fault));
        return std::nullopt;
    }
    *exitCode = 0;
    return options;
}
