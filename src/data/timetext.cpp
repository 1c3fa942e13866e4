#include "data/timetext.h"

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
