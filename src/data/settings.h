#pragma once

#include <QByteArray>
#include <QString>

class Profile;

// Name of the settings file, kept in the program's own directory.
inline constexpr char kSettingsFileName[] = "param.ini";

// The four settings kept between runs, as the file holds them (key "valeur" of each section).
struct StoredSettings {
    QByteArray port;      // "COM": the port list's text, such as "COM3", at most 29 characters
    QByteArray freeValue; // "temporisation": the free period text, at most 9 characters
    QByteArray select;    // "select": "1" when the free period is ticked, at most 4 characters
    QByteArray index;     // "Index": the preset index, "-1" for none, at most 4 characters
};

// Reads the four values, each cut as a fixed read buffer cuts it (to its size less one, and at a
// NUL byte). A missing file, section or key gives an empty value.
StoredSettings readSettings(const Profile &profile);

// Whether the free period box is ticked at start-up: only when the stored value is the number 1
// ("1", or "1.0"); missing, empty, any other number or a non-numeric text leave it clear.
bool restoredTick(const QByteArray &select);

// Preset index selected at start-up: the stored number rounded to a whole one (halves to the even
// neighbour), -1 meaning nothing selected. A missing value, a non-numeric text or a number outside
// -1 to 4 selects the first preset, 0.
int restoredIndex(const QByteArray &index);

// Writes, in this order, the port text under "COM", the free text under "temporisation", "1" or
// "0" under "select" and the index in decimal ("-1" for none) under "index", key "valeur" each,
// in one replacement of the file (Profile::save): all four or, when one is refused or the file
// cannot be written, none, with the reason in *error.
bool saveSettings(Profile &profile, const QByteArray &port, const QByteArray &freeValue,
                  bool ticked, int index, QString *error = nullptr);

// What the window keeps in the settings file between runs, as start-up restores it and "Quitter"
// saves it.
struct WindowSettings {
    QByteArray port;      // the port list's text, "COM3"
    QByteArray freeValue; // the free period text, as typed
    bool ticked = false;  // the free period box
    int index = 0;        // the preset selected, -1 for none
    double interval = 0;  // the chart's sampling interval in seconds, 0 for none
    int boardSwitch = 1;  // the board's switch S as the user set it, 1 to 7

    // The values as start-up restores them: cut as readSettings cuts them, the tick and the index
    // by restoredTick and restoredIndex, the interval as readChartInterval reads it, the switch as
    // readBoardSwitch reads it.
    static WindowSettings read(const Profile &profile);
    // Writes the four settings (saveSettings), then the chart's interval, whose section is written
    // only once there is something to keep, so that a file of the four settings alone stays as it
    // was; the switch likewise, once it differs from 1. One replacement of the file: every key or,
    // when one is refused or the file cannot be written, none, with the reason in *error.
    bool save(Profile &profile, QString *error = nullptr) const;
};
