#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

#include <chrono>
#include <optional>

// The time of day in the user's regional time format (hours, minutes, seconds), without the
// time-zone suffix that some long formats carry.
QString timeOfDayText(QTime time, const QLocale &locale = QLocale::system());

// A moment as the user reads and types it: the locale's short date with a four-digit year, then
// the time of day with seconds ("06/12/2026 14:03:12" in French).
QString localDateTimeText(const QDateTime &moment, const QLocale &locale = QLocale::system());
// A moment typed in that form, with or without seconds, or as the program's files write it
// ("2026-12-06 14:03:12"); nothing when the text is neither.
std::optional<QDateTime> parseLocalDateTime(const QString &text,
                                            const QLocale &locale = QLocale::system());

// A duration shown as a time of day, "00:01:05" after 65 seconds (whole seconds, 24-hour clock).
QString elapsedText(std::chrono::nanoseconds elapsed);
