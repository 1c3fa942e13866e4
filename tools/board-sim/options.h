#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

// What the simulated board does wrong on purpose, so that the program's handling of a misbehaving
// board can be tried.
enum class Fault {
    None,
    GluedBanner, // the banner shares its burst with the next name: "PIC 16F88\r\nRAZ"
    SplitEnd,    // the end texts "Effectue" and "eeprom" arrive in two bursts, far apart
    Garbage,     // bursts of stray bytes (NUL, 0x80-0xFF, ...) between the announcements
    Mute,        // takes every command but never answers it, and goes on announcing itself
};

struct Options {
    std::chrono::milliseconds cycle{2000}; // from one banner to the next while idle
    std::chrono::milliseconds gap{300};    // between two bursts of the board
    std::chrono::milliseconds erase{1500}; // time the memory erase takes
    std::chrono::milliseconds livePeriod{1000};
    int liveCount = 30;
    int lineRate = 960;      // bytes per second on the line; 0 sends every burst at once
    int samples = 120;       // in memory at start-up
    QString servePath;       // when set, the memory holds this file's bytes as they are
    QByteArray served;       // ... read at start-up
    bool keepMemory = false; // RAZ answers but leaves the memory as it was
    QString logPath;         // every byte received, with time stamps
    QString wirePort;        // "COMn" to record in the settings file
    QString iniPath;
    QString linkPath;        // a symbolic link to the device, while the board runs
    bool silent = false;
    Fault fault = Fault::None;
    bool help = false; // --help: nothing else was read
};

// The options, or why the command line makes no sense.
struct ParsedOptions {
    std::optional<Options> options;
    QString error;
};
// Parses the command line (arguments[0] is the program).
ParsedOptions parseOptions(const QStringList &arguments);

// The text of --help, made from the same declarations as the parsing.
QString optionsHelp();
