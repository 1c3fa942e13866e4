#include "data/timetext.h"

#include "data/facts.h"

namespace {
// The locale's short date format with the year on four digits ("M/d/yy" gives "M/d/yyyy").
QString shortDateFormat(const QLocale &locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}
} // namespace

QString localDateTimeText(const QDateTime &moment, const QLocale &locale) {
    return locale.toString(moment.date(), shortDateFormat(locale)) + u' ' +
           locale.toString(moment.time(), QStringLiteral("HH:mm:ss"));
}

std::optional<QDateTime> parseLocalDateTime(const QString &text, const QLocale &locale) {
    if (const std::optional<QDateTime> written = parseDateTimeText(text)) return written;
    const QString typed = text.simplified();
    for (const char *time : {" HH:mm:ss", " H:mm:ss", " HH:mm", " H:mm"}) {
        const QDateTime moment =
            locale.toDateTime(typed, shortDateFormat(locale) + QLatin1String(time));
        if (moment.isValid()) return moment;
    }
    return std::nullopt;
}

QString timeOfDayText(QTime time, const QLocale &locale) {
    // Drop the time-zone field "t" (outside quoted text) and the blank it leaves.
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString kept;
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'') quoted = !quoted;
        if (quoted || c != u't') kept += c;
    }
    return locale.toString(time, kept.trimmed().replace(QStringLiteral("  "), QStringLiteral(" ")));
}

QString elapsedText(std::chrono::nanoseconds elapsed) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
    return QTime(0, 0).addSecs(int(seconds % 86400)).toString(QStringLiteral("HH:mm:ss"));
}
