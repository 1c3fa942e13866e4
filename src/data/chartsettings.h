#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class Profile;

// The chart's own setting in param.ini, in a section of its own so the four settings of the
// window and their sections stay as they are: the board's sampling interval in seconds, key
// "intervalle" of section "graphique", written with a "." ("0.5"), empty for none.

// An interval as typed: a number of seconds above 0, read as parseNumber reads it. Empty (or
// blanks) gives 0, meaning none; anything else that is not such a number gives nothing.
std::optional<double> parseInterval(const QString &text);

// The stored interval, 0 when the file, section or key is missing or holds no valid interval.
double readChartInterval(const Profile &profile);

// Stores the interval (0: none). False with the reason in *error when the file can't be written.
bool saveChartInterval(Profile &profile, double seconds, QString *error = nullptr);
