#pragma once

#include <QLocale>
#include <QString>
#include <QTime>

#include <chrono>

// The time of day in the user's regional time format (hours, minutes, seconds), without the
// time-zone suffix that some long formats carry.
QString timeOfDayText(QTime time, const QLocale &locale = QLocale::system());

// A duration shown as a time of day, "00:01:05" after 65 seconds (whole seconds, 24-hour clock).
QString elapsedText(std::chrono::nanoseconds elapsed);
