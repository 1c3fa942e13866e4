#include "data/channelsettings.h"

#include "data/number.h"
#include "data/profile.h"
#include "data/settingskeys.h"

#include <QLocale>
#include <QStringDecoder>

#include <cmath>

namespace {

using namespace settingskeys;

QByteArray key(const char *name, int channel) {
    return name + QByteArray::number(channel + 1);
}

// UTF-8; a value that is not (typed in an editor that saves Latin-1) is read as Latin-1.
QString fromStored(const QByteArray &bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

QByteArray number(double value) {
    return QLocale::c().toString(value, 'g', QLocale::FloatingPointShortest).toLatin1();
}

QByteArray storedCalibration(const Calibration &c) {
    return number(c.rawA) + ';' + number(c.valueA) + ';' + number(c.rawB) + ';' + number(c.valueB);
}

QByteArray storedLimits(const ChannelSetting &c) {
    return (c.low ? number(*c.low) : QByteArray()) + ';' +
           (c.high ? number(*c.high) : QByteArray());
}

std::optional<double> readLimit(const QByteArray &text) {
    if (text.trimmed().isEmpty()) return std::nullopt;
    const std::optional<double> value = parseNumber(QString::fromLatin1(text));
    return value && std::isfinite(*value) ? value : std::nullopt;
}

std::optional<Calibration> readCalibration(const QByteArray &text) {
    const QList<QByteArray> points = text.split(';');
    if (points.size() != 4) return std::nullopt;
    return parseCalibration(QString::fromLatin1(points[0]), QString::fromLatin1(points[1]),
                            QString::fromLatin1(points[2]), QString::fromLatin1(points[3]));
}

ChannelSetting readChannel(const Profile &profile, int channel) {
    ChannelSetting setting = ChannelSettings::defaults()[channel];
    if (const QString name = fromStored(profile.value(kChannelsSection, key(kNameKey, channel)));
        !name.isEmpty())
        setting.name = name;
    setting.unit = fromStored(profile.value(kChannelsSection, key(kUnitKey, channel)));
    if (const auto calibration =
            readCalibration(profile.value(kChannelsSection, key(kCalibrationKey, channel))))
        setting.calibration = *calibration;
    const QList<QByteArray> limits =
        profile.value(kChannelsSection, key(kLimitsKey, channel)).split(';');
    if (limits.size() == 2) {
        setting.low = readLimit(limits[0]);
        setting.high = readLimit(limits[1]);
    }
    return setting;
}

} // namespace

std::array<ChannelSetting, kChannels> ChannelSettings::defaults() {
    std::array<ChannelSetting, kChannels> settings;
    for (int k = 0; k < kChannels; ++k)
        settings[k].name = kChannelNames[k];
    return settings;
}

QString ChannelSettings::title(int channel) const {
    const ChannelSetting &setting = channels[channel];
    return setting.unit.isEmpty() ? setting.name
                                  : QStringLiteral("%1 (%2)").arg(setting.name, setting.unit);
}

ChannelSettings ChannelSettings::read(const Profile &profile) {
    ChannelSettings settings;
    for (int k = 0; k < kChannels; ++k)
        settings.channels[k] = readChannel(profile, k);
    return settings;
}

bool ChannelSettings::save(Profile &profile, QString *error) const {
    return profile.save(
        [this](Profile &text, QString *reason) {
            for (int k = 0; k < kChannels; ++k) {
                ChannelSetting wanted = channels[k];
                if (wanted.name.isEmpty()) wanted.name = kChannelNames[k];
                const ChannelSetting stored = readChannel(text, k);
                const auto write = [&](const char *name, const QByteArray &value) {
                    return text.setValue(kChannelsSection, key(name, k), value, reason);
                };
                if (stored.name != wanted.name && !write(kNameKey, wanted.name.toUtf8()))
                    return false;
                if (stored.unit != wanted.unit && !write(kUnitKey, wanted.unit.toUtf8()))
                    return false;
                if (stored.calibration != wanted.calibration &&
                    !write(kCalibrationKey, storedCalibration(wanted.calibration)))
                    return false;
                if ((stored.low != wanted.low || stored.high != wanted.high) &&
                    !write(kLimitsKey, storedLimits(wanted)))
                    return false;
            }
            return true;
        },
        error);
}

std::optional<Calibration> parseCalibration(const QString &rawA, const QString &valueA,
                                            const QString &rawB, const QString &valueB,
                                            QString *reason) {
    const auto refuse = [reason](const QString &why) -> std::optional<Calibration> {
        if (reason) *reason = why;
        return std::nullopt;
    };
    const std::pair<const QString *, const char *> typed[] = {
        {&rawA, "La valeur brute du point 1"},
        {&valueA, "La valeur physique du point 1"},
        {&rawB, "La valeur brute du point 2"},
        {&valueB, "La valeur physique du point 2"}};
    double numbers[4];
    for (int i = 0; i < 4; ++i) {
        const std::optional<double> number = parseNumber(*typed[i].first);
        if (typed[i].first->trimmed().isEmpty())
            return refuse(QStringLiteral("%1 est vide.").arg(QString::fromUtf8(typed[i].second)));
        if (!number)
            return refuse(QStringLiteral("%1 n'est pas un nombre : « %2 ».")
                              .arg(QString::fromUtf8(typed[i].second), *typed[i].first));
        numbers[i] = *number;
    }
    const Calibration calibration{numbers[0], numbers[1], numbers[2], numbers[3]};
    if (numbers[0] == numbers[2])
        return refuse(QStringLiteral("Les deux points ont la même valeur brute (%1) : il faut deux "
                                     "valeurs brutes différentes.")
                          .arg(rawA.trimmed()));
    if (!std::isfinite(calibration.factor()) || !std::isfinite(calibration.offset()))
        return refuse(QStringLiteral("Ces deux points donnent une droite trop raide : rapprochez "
                                     "les valeurs physiques ou écartez les valeurs brutes."));
    return calibration;
}

std::optional<Limits> parseLimits(const QString &low, const QString &high, QString *reason) {
    Limits limits;
    const std::pair<const QString *, const char *> typed[] = {{&low, "La limite basse"},
                                                              {&high, "La limite haute"}};
    std::optional<double> *const values[] = {&limits.low, &limits.high};
    for (int i = 0; i < 2; ++i) {
        if (typed[i].first->trimmed().isEmpty()) continue;
        *values[i] = parseNumber(*typed[i].first);
        if (!*values[i]) {
            if (reason)
                *reason = QStringLiteral("%1 n'est pas un nombre : « %2 ».")
                              .arg(QString::fromUtf8(typed[i].second), *typed[i].first);
            return std::nullopt;
        }
    }
    if (limits.low && limits.high && *limits.low > *limits.high) {
        if (reason)
            *reason = QStringLiteral("La limite basse (%1) dépasse la limite haute (%2).")
                          .arg(low.trimmed(), high.trimmed());
        return std::nullopt;
    }
    return limits;
}
