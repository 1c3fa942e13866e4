#include "data/period.h"

#include "data/number.h"
#include "data/profile.h"
#include "data/settingskeys.h"

#include <cmath>
#include <iterator>

namespace {

using settingskeys::kSwitchSection;
constexpr const char *kSwitchKey = settingskeys::kValueKey;

// General number form: at most 15 significant digits, no trailing zeros, no group separator.
QString generalNumber(double x, const QLocale &locale) {
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(x + 0.0, 'g', 15); // + 0.0 turns -0 into 0
}

} // namespace

QString periodTip(double x, const QLocale &locale) {
    if (roundHalfEven(x) < kFreeValueMin)
        return QStringLiteral("Période impossible : la valeur libre va de %1 à %2")
            .arg(kFreeValueMin)
            .arg(kFreeValueMax);
    return QStringLiteral("Période = %1 sec à %2 sec")
        .arg(generalNumber(x * kPeriodStep * kSwitchMin, locale),
             generalNumber(x * kPeriodStep * kSwitchMax, locale));
}

double roundHalfEven(double x) {
    const double nearest = std::round(x); // halves away from zero
    if (std::fabs(x - std::trunc(x)) == 0.5) return 2.0 * std::round(x / 2.0) + 0.0;
    return nearest + 0.0;
}

std::optional<quint16> selectPeriodValue(int presetIndex, bool freeTicked, const QString &freeText,
                                         quint16 previous) {
    quint16 value = previous;
    if (presetIndex >= 0 && presetIndex < int(std::size(kPeriodPresets)))
        value = kPeriodPresets[presetIndex].value;
    if (!freeTicked) return value;

    const std::optional<double> typed = parseNumber(freeText);
    if (!typed) return std::nullopt;
    const double whole = roundHalfEven(*typed);
    if (whole < kFreeValueMin || whole > kFreeValueMax) return std::nullopt;
    return static_cast<quint16>(whole);
}

int readBoardSwitch(const Profile &profile) {
    bool ok = false;
    const int stored = profile.value(kSwitchSection, kSwitchKey).trimmed().toInt(&ok);
    return ok && stored >= kSwitchMin && stored <= kSwitchMax ? stored : kSwitchMin;
}

bool saveBoardSwitch(Profile &profile, int boardSwitch, QString *error) {
    return profile.setValue(kSwitchSection, kSwitchKey, QByteArray::number(boardSwitch), error);
}

bool hasBoardSwitch(const Profile &profile) {
    return !profile.value(kSwitchSection, kSwitchKey).isEmpty();
}

double programmedInterval(quint16 periodValue, int boardSwitch) {
    return periodValue * kPeriodStep * boardSwitch;
}

QString programmedIntervalTip(quint16 periodValue, int boardSwitch) {
    return QStringLiteral("Intervalle tiré de la programmation : %1")
        .arg(periodFormula(QStringLiteral("période %1").arg(periodValue),
                           QStringLiteral("commutateur %1").arg(boardSwitch)));
}

QString periodFormula(const QString &period, const QString &boardSwitch) {
    QLocale french(QLocale::French);
    return QStringLiteral("%1 × %2 s × %3").arg(period, french.toString(kPeriodStep), boardSwitch);
}
