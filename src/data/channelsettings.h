#pragma once

#include "data/channels.h"

#include <QString>

#include <array>
#include <optional>

class Profile;

// A straight line from the board's raw values to physical ones, given by two points as the user
// types them (raw 0 gives 0, raw 1023 gives 5 V). The default maps raw onto itself, shown as the
// range of the board's 10-bit converter, so that a channel without calibration keeps its counts.
struct Calibration {
    double rawA = 0;
    double valueA = 0;
    double rawB = 1023;
    double valueB = 1023;

    double factor() const { return (valueB - valueA) / (rawB - rawA); }
    double offset() const { return valueA - factor() * rawA; }
    double operator()(double raw) const { return offset() + factor() * raw; }
    bool operator==(const Calibration &) const = default;
};

// What a channel is called and measures.
struct ChannelSetting {
    QString name; // never empty: "Voie1" to "Voie3" unless renamed
    QString unit; // empty: raw counts, or a quantity without unit
    Calibration calibration;
    // The limits the values should stay within, in the unit; either may be missing.
    std::optional<double> low = std::nullopt, high = std::nullopt;
    bool operator==(const ChannelSetting &) const = default;

    // Where `value` stands: below the low limit (-1), above the high one (1), or within (0).
    int outside(double value) const {
        if (low && value < *low) return -1;
        if (high && value > *high) return 1;
        return 0;
    }
    bool hasLimits() const { return low || high; }
};

// The three channels' settings, kept in param.ini in a section of their own, "voies": keys
// "nom1", "unite1", "etalonnage1" (the two points "rawA;valueA;rawB;valueB" written with a
// ".") and "limites1" ("low;high", either empty), and the same for channels 2 and 3; names and
// units in UTF-8. A missing or empty key, a calibration that does not read as two points of
// distinct raw values, or a limit that is not a number, gives the default (no limit).
struct ChannelSettings {
    std::array<ChannelSetting, kChannels> channels = defaults();

    static std::array<ChannelSetting, kChannels> defaults();
    bool isDefault() const { return channels == defaults(); }

    // A spreadsheet column's title: "Voie1", or "Température (°C)" when there is a unit.
    QString title(int channel) const;

    static ChannelSettings read(const Profile &profile);
    // Writes each key whose stored text would read back as something else, so that the section
    // appears only once something differs from the defaults and a file holding the window's four
    // settings alone stays as it was. An empty name is stored as the default one. One replacement
    // of the file: every key or, when one is refused or the file cannot be written, none, with the
    // reason in *error.
    bool save(Profile &profile, QString *error = nullptr) const;

    bool operator==(const ChannelSettings &) const = default;
};

// The calibration through the two points typed, or nothing with the French reason in *reason: a
// text that is empty or not a number (which one is named), two equal raw values, or points so far
// apart or so close that the line's factor overflows.
std::optional<Calibration> parseCalibration(const QString &rawA, const QString &valueA,
                                            const QString &rawB, const QString &valueB,
                                            QString *reason = nullptr);

// The limits as typed: each empty (no limit) or a number; nothing, with the French reason in
// *reason, when one is not a number or the low limit is above the high one.
struct Limits {
    std::optional<double> low, high;
};
std::optional<Limits> parseLimits(const QString &low, const QString &high,
                                  QString *reason = nullptr);
