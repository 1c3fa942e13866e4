#include "data/facts.h"

#include "data/number.h"
#include "data/profile.h"
#include "data/settingskeys.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>

namespace {

// The facts file's own section and keys; its channels are kept as param.ini keeps them.
constexpr char kSection[] = "enregistrement";
constexpr char kKindKey[] = "type";
constexpr char kRecordedKey[] = "moment";
constexpr char kPortKey[] = "port";
constexpr char kDeviceKey[] = "peripherique";
constexpr char kSerialKey[] = "numero_serie";
constexpr char kPeriodKey[] = "periode";
constexpr char kSwitchKey[] = "commutateur";
constexpr char kIntervalKey[] = "intervalle";
constexpr char kStartKey[] = "debut";
constexpr char kOriginKey[] = "origine_debut";
constexpr char kArrivalsSection[] = "arrivees";
constexpr char kExcursionsSection[] = "depassements";
constexpr char kCountKey[] = "nombre";

constexpr char kDownload[] = "telechargement";
constexpr char kLive[] = "lecture";

constexpr std::pair<StartOrigin, const char *> kOrigins[] = {
    {StartOrigin::LastReset, "raz"},
    {StartOrigin::CountedBack, "decompte"},
    {StartOrigin::Corrected, "correction"},
    {StartOrigin::Arrival, "arrivee"},
};

QByteArray originText(StartOrigin origin) {
    for (const auto &[known, text] : kOrigins)
        if (known == origin) return text;
    return {};
}

StartOrigin readOrigin(const QByteArray &text) {
    for (const auto &[known, name] : kOrigins)
        if (text.trimmed().compare(name, Qt::CaseInsensitive) == 0) return known;
    return StartOrigin::Unknown;
}

QString fromUtf8(const QByteArray &bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

// A value on one line, whatever it holds.
QByteArray oneLine(const QString &text) {
    QByteArray bytes = text.toUtf8();
    bytes.replace('\r', ' ').replace('\n', ' ');
    return bytes;
}

QByteArray moment(const QDateTime &when) {
    return when.isValid() ? dateTimeText(when).toLatin1() : QByteArray();
}

QDateTime readMoment(const QByteArray &text) {
    return parseDateTimeText(QString::fromLatin1(text)).value_or(QDateTime());
}

QByteArray number(double value) {
    return QLocale::c().toString(value, 'g', QLocale::FloatingPointShortest).toLatin1();
}

std::optional<quint16> readCode(const QByteArray &text) {
    bool ok = false;
    const uint code = text.trimmed().toUInt(&ok);
    if (!ok || code > 0xFFFF) return std::nullopt;
    return quint16(code);
}

// An identity as a key name: what a key cannot hold (blanks, "=", brackets, ";") becomes "_".
QByteArray identityKey(const QString &identity, const char *key) {
    QByteArray name = identity.toUtf8();
    for (char &c : name)
        if (c == '=' || c == '[' || c == ']' || c == ';' || uchar(c) <= ' ') c = '_';
    return name + '.' + key;
}

} // namespace

QString dateTimeText(const QDateTime &moment) {
    const QTime time = moment.time();
    return moment.toString(time.msec() ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")
                                       : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QDateTime wholeSecond(const QDateTime &moment) {
    return moment.addMSecs(-moment.time().msec());
}

std::optional<QDateTime> parseDateTimeText(const QString &text) {
    static const QRegularExpression form(QStringLiteral(
        R"(^(\d{4})-(\d{2})-(\d{2})[ T](\d{1,2}):(\d{2})(?::(\d{2})(?:[.,](\d{1,3}))?)?$)"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch()) return std::nullopt;
    const auto part = [&](int i) { return match.captured(i).toInt(); };
    const QDate date(part(1), part(2), part(3));
    QString fraction = match.captured(7);
    fraction = fraction.leftJustified(3, u'0');
    const QTime time(part(4), part(5), part(6), match.captured(7).isEmpty() ? 0 : fraction.toInt());
    if (!date.isValid() || !time.isValid()) return std::nullopt;
    return QDateTime(date, time);
}

QString startOriginText(StartOrigin origin) {
    switch (origin) {
    case StartOrigin::LastReset:
        return QStringLiteral("dernière RAZ");
    case StartOrigin::CountedBack:
        return QStringLiteral("compté à rebours depuis le téléchargement");
    case StartOrigin::Corrected:
        return QStringLiteral("corrigé");
    case StartOrigin::Arrival:
        return QStringLiteral("arrivée des mesures");
    case StartOrigin::Unknown:
        break;
    }
    return QStringLiteral("inconnu");
}

QDateTime countedOn(const QDateTime &moment, qint64 msecs) {
    constexpr qint64 kDay = 86'400'000;
    const qint64 total = moment.time().msecsSinceStartOfDay() + msecs;
    const qint64 days = total >= 0 ? total / kDay : -((kDay - 1 - total) / kDay);
    return QDateTime(moment.date().addDays(days),
                     QTime::fromMSecsSinceStartOfDay(int(total - days * kDay)));
}

QDateTime SampleClock::at(qint64 row) const {
    if (!arrivals.isEmpty()) {
        // The arrival of the chunk that brought the row: the last one that starts at or before it.
        const auto after =
            std::upper_bound(arrivals.cbegin(), arrivals.cend(), row,
                             [](qint64 r, const std::pair<qint64, QDateTime> &arrival) {
                                 return r < arrival.first;
                             });
        return after == arrivals.cbegin() ? arrivals.front().second : std::prev(after)->second;
    }
    if (!start.isValid() || interval <= 0) return {};
    return countedOn(start, std::llround(double(row) * interval * 1000.0));
}

std::optional<RecordingFacts> RecordingFacts::read(const QString &path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return std::nullopt;
    const Profile text = Profile::inMemory(file.readAll());
    const auto value = [&](const char *key) { return text.value(kSection, key); };
    RecordingFacts facts;
    facts.live = value(kKindKey).trimmed() == kLive;
    facts.recorded = readMoment(value(kRecordedKey));
    facts.port = fromUtf8(value(kPortKey));
    facts.device = fromUtf8(value(kDeviceKey));
    facts.serialNumber = fromUtf8(value(kSerialKey));
    facts.periodCode = readCode(value(kPeriodKey));
    const int boardSwitch = value(kSwitchKey).trimmed().toInt();
    facts.boardSwitch = boardSwitch >= 1 && boardSwitch <= 7 ? boardSwitch : 0;
    const std::optional<double> interval = parseNumber(QString::fromLatin1(value(kIntervalKey)));
    facts.interval = interval && *interval > 0 ? *interval : 0;
    facts.start = readMoment(value(kStartKey));
    facts.startOrigin =
        facts.start.isValid() ? readOrigin(value(kOriginKey)) : StartOrigin::Unknown;
    facts.channels = ChannelSettings::read(text);
    // Numbered lines, read in one pass each: a long reading has tens of thousands of arrivals.
    const auto numbered = [&](const char *section) {
        QHash<QByteArray, QByteArray> lines;
        for (const auto &[key, value] : text.section(section))
            lines.insert(key, value);
        return lines;
    };
    const QHash<QByteArray, QByteArray> arrivalLines = numbered(kArrivalsSection);
    const int arrivals = arrivalLines.value(kCountKey).toInt();
    for (int i = 1; i <= arrivals; ++i) {
        const QList<QByteArray> parts = arrivalLines.value(QByteArray::number(i)).split(';');
        bool ok = false;
        const qint64 row = parts.value(0).toLongLong(&ok);
        const QDateTime when = readMoment(parts.value(1));
        // Only arrivals in order make a clock; the first one out of order ends the list.
        if (!ok || !when.isValid() ||
            (!facts.arrivals.isEmpty() && row < facts.arrivals.back().first))
            break;
        facts.arrivals.append({row, when});
    }
    const QHash<QByteArray, QByteArray> excursionLines = numbered(kExcursionsSection);
    const int excursions = excursionLines.value(kCountKey).toInt();
    for (int i = 1; i <= excursions; ++i)
        facts.excursions.append(fromUtf8(excursionLines.value(QByteArray::number(i))));
    return facts;
}

bool RecordingFacts::save(const QString &path, QString *error) const {
    Profile file(path);
    return file.save(
        [this](Profile &text, QString *reason) {
            const auto set = [&](const char *section, const QByteArray &key, const QByteArray &v) {
                return text.setValue(section, key, v, reason);
            };
            const std::pair<const char *, QByteArray> values[] = {
                {kKindKey, live ? kLive : kDownload},
                {kRecordedKey, moment(recorded)},
                {kPortKey, oneLine(port)},
                {kDeviceKey, oneLine(device)},
                {kSerialKey, oneLine(serialNumber)},
                {kPeriodKey, periodCode ? QByteArray::number(*periodCode) : QByteArray()},
                {kSwitchKey, boardSwitch ? QByteArray::number(boardSwitch) : QByteArray()},
                {kIntervalKey, interval > 0 ? number(interval) : QByteArray()},
                {kStartKey, moment(start)},
                {kOriginKey, originText(start.isValid() ? startOrigin : StartOrigin::Unknown)},
            };
            for (const auto &[key, v] : values)
                if (!set(kSection, key, v)) return false;
            // Numbered lines, each section written in one pass.
            const auto numbered = [&](const char *section, const QList<QByteArray> &values) {
                if (values.isEmpty() && text.section(section).isEmpty()) return true;
                Profile::Entries lines{{kCountKey, QByteArray::number(values.size())}};
                for (int i = 0; i < values.size(); ++i)
                    lines.append({QByteArray::number(i + 1), values[i]});
                return text.setSection(section, lines, reason);
            };
            QList<QByteArray> arrived, said;
            for (const auto &[row, when] : arrivals)
                arrived.append(QByteArray::number(row) + ';' + moment(when));
            for (const QString &sentence : excursions)
                said.append(oneLine(sentence));
            if (!numbered(kArrivalsSection, arrived) || !numbered(kExcursionsSection, said))
                return false;
            // The channels as param.ini keeps them, in the same text: one replacement for all.
            return channels.save(text, reason);
        },
        error);
}

QString factsPath(const QString &recordingPath) {
    const QFileInfo info(recordingPath);
    const QString name = info.suffix().isEmpty() ? info.fileName() : info.completeBaseName();
    return info.dir().filePath(name + QStringLiteral(".ini"));
}

std::pair<QDateTime, StartOrigin> downloadStart(const QDateTime &lastReset, const QDateTime &end,
                                                qint64 samples, double interval) {
    if (lastReset.isValid() && (!end.isValid() || lastReset <= end))
        return {lastReset, StartOrigin::LastReset};
    if (end.isValid() && interval > 0)
        return {countedOn(end, -std::llround(double(samples) * interval * 1000.0)),
                StartOrigin::CountedBack};
    return {QDateTime(), StartOrigin::Unknown};
}

BoardHistory BoardHistory::read(const Profile &profile, const QString &identity) {
    using namespace settingskeys;
    BoardHistory history;
    if (identity.isEmpty()) return history;
    history.lastReset = readMoment(profile.value(kBoardsSection, identityKey(identity, kResetKey)));
    history.lastProgramming =
        readMoment(profile.value(kBoardsSection, identityKey(identity, kProgrammingKey)));
    history.period =
        readCode(profile.value(kBoardsSection, identityKey(identity, settingskeys::kPeriodKey)));
    return history;
}

bool BoardHistory::save(Profile &profile, const QString &identity, QString *error) const {
    using namespace settingskeys;
    return profile.save(
        [&](Profile &text, QString *reason) {
            const auto set = [&](const char *key, const QByteArray &v) {
                return text.setValue(kBoardsSection, identityKey(identity, key), v, reason);
            };
            return set(kResetKey, moment(lastReset)) &&
                   set(kProgrammingKey, moment(lastProgramming)) &&
                   set(settingskeys::kPeriodKey,
                       period ? QByteArray::number(*period) : QByteArray());
        },
        error);
}
