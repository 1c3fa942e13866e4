#include "options.h"

#include <QCommandLineParser>
#include <QFile>
#include <QHash>

#include <type_traits>

namespace {

// Takes an option's value into the options (a switch's value is empty); returns why the value is
// refused, or nothing.
using Setter = QString (*)(Options &options, const QString &name, const QString &value);

// One option, declared once: its name, the name of its value (empty for a switch), its help and
// what it sets.
struct OptionRow {
    const char *name;
    const char *valueName;
    const char *help;
    Setter set;
};

// A whole number from minimum to maximum, into an int or a duration in milliseconds.
template <auto field, int minimum, int maximum = 1000 * 1000>
QString setNumber(Options &options, const QString &name, const QString &value) {
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok || number < minimum || number > maximum)
        return QStringLiteral("--%1 wants a whole number from %2 to %3")
            .arg(name)
            .arg(minimum)
            .arg(maximum);
    options.*field = std::remove_reference_t<decltype(options.*field)>(number);
    return {};
}

template <auto field, int minimum>
constexpr Setter setDuration = setNumber<field, minimum, 3600 * 1000>;

template <QString Options::*field>
QString setText(Options &options, const QString &, const QString &value) {
    options.*field = value;
    return {};
}

template <bool Options::*field>
QString setSwitch(Options &options, const QString &, const QString &) {
    options.*field = true;
    return {};
}

QString setServed(Options &options, const QString &, const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
    options.servePath = path;
    options.served = file.readAll();
    return {};
}

QString setWirePort(Options &options, const QString &, const QString &port) {
    bool ok = false;
    const int number = port.mid(3).toInt(&ok);
    if (!port.startsWith(QLatin1String("COM")) || !ok || number < 1 || number > 12)
        return QStringLiteral("--wire wants a port name from COM1 to COM12");
    options.wirePort = port;
    return {};
}

QString setFault(Options &options, const QString &, const QString &kind) {
    static const QHash<QString, Fault> kinds = {
        {QStringLiteral("glued-banner"), Fault::GluedBanner},
        {QStringLiteral("split-end"), Fault::SplitEnd},
        {QStringLiteral("garbage"), Fault::Garbage},
        {QStringLiteral("mute"), Fault::Mute}};
    if (!kinds.contains(kind))
        return QStringLiteral("unknown fault %1 (glued-banner, split-end, garbage, mute)")
            .arg(kind);
    options.fault = kinds[kind];
    return {};
}

const OptionRow kOptionRows[] = {
    {"cycle-ms", "ms",
     "Idle: time from one banner to the next (default 2000; never less than one gap for each "
     "burst of the round: six gaps).",
     setDuration<&Options::cycle, 1>},
    {"gap-ms", "ms", "Pause between two bursts; 250 or more keeps them apart (default 300).",
     setDuration<&Options::gap, 1>},
    {"erase-ms", "ms", "Duration of the memory erase (default 1500).",
     setDuration<&Options::erase, 0>},
    {"line-rate", "bytes",
     "Bytes per second on the line (default 960, as at 9600 baud; 0 sends each burst at once).",
     setNumber<&Options::lineRate, 0>},
    {"samples", "count",
     "Sample lines in memory at start-up, which the download sends (default 120). RAZ empties "
     "the memory; each line of a real-time reading is recorded in it.",
     setNumber<&Options::samples, 0>},
    {"serve", "file", "Hold this file's bytes, unchanged, as the memory the download sends.",
     setServed},
    {"keep-memory", "",
     "RAZ answers as usual but leaves the memory as it was, so a download after it sends the same "
     "data again.",
     setSwitch<&Options::keepMemory>},
    {"live-ms", "ms", "Real-time mode: period of the sample lines (default 1000).",
     setDuration<&Options::livePeriod, 1>},
    {"live-count", "count", "Real-time mode: lines sent before announcing again (default 30).",
     setNumber<&Options::liveCount, 0>},
    {"log", "file", "Record every byte received, with time stamps, in this file.",
     setText<&Options::logPath>},
    {"wire", "COMn",
     "Record the device under this port name (COM1 to COM12) in [ports] of the settings file "
     "given by --ini and select that port there ([COM]); the file and its folder are created "
     "when missing.",
     setWirePort},
    {"ini", "file", "Settings file for --wire.", setText<&Options::iniPath>},
    {"link", "path",
     "Make this path a symbolic link to the device (replacing a link already there) while the "
     "board runs, for a program that opens a fixed name: a Wine COM port, for one.",
     setText<&Options::linkPath>},
    {"silent", "", "Never send anything; still read and log.", setSwitch<&Options::silent>},
    {"fault", "kind", "Misbehave: glued-banner, split-end, garbage or mute.", setFault},
};

void declareOptions(QCommandLineParser &parser) {
    parser.setApplicationDescription(
        QStringLiteral("Simulated data-logger board (PIC 16F88, 9600 baud) on a pseudo-terminal.\n"
                       "Prints the device path to open as the first line of its output, then "
                       "announces itself and answers the commands RAZ, Transfert, Param, TR and "
                       "eeprom as the board does. Ends on SIGTERM or SIGINT."));
    parser.addHelpOption();
    for (const OptionRow &row : kOptionRows)
        parser.addOption(QCommandLineOption(QLatin1String(row.name), QLatin1String(row.help),
                                            QLatin1String(row.valueName)));
}

ParsedOptions refuse(const QString &reason) {
    return {std::nullopt, reason};
}

} // namespace

ParsedOptions parseOptions(const QStringList &arguments) {
    QCommandLineParser parser;
    declareOptions(parser);
    if (!parser.parse(arguments)) return refuse(parser.errorText());
    Options options;
    // --help-all, which Qt's help option brings along, lists the same options: the simulator has
    // no others.
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        options.help = true;
        return {options, {}};
    }
    if (!parser.positionalArguments().isEmpty())
        return refuse(
            QStringLiteral("unexpected argument %1").arg(parser.positionalArguments()[0]));
    for (const OptionRow &row : kOptionRows) {
        const QString name = QLatin1String(row.name);
        if (!parser.isSet(name)) continue;
        if (const QString reason = row.set(options, name, parser.value(name)); !reason.isEmpty())
            return refuse(reason);
    }
    if (options.wirePort.isEmpty() != options.iniPath.isEmpty())
        return refuse(QStringLiteral("--wire and --ini go together"));
    return {options, {}};
}

QString optionsHelp() {
    QCommandLineParser parser;
    declareOptions(parser);
    return parser.helpText();
}
