#include "app/timetext.h"

#include <QRegularExpression>

QString timeOfDayText(QTime time, const QLocale &locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    // "t" is the time-zone field; drop it with the blanks around it.
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
    format.replace(zone, QStringLiteral(" "));
    return locale.toString(time, format.trimmed());
}

QString elapsedText(std::chrono::nanoseconds elapsed) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
    return QTime(0, 0).addSecs(int(seconds % 86400)).toString(QStringLiteral("HH:mm:ss"));
}
