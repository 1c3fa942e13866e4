#include "data/settings.h"

#include "data/chartsettings.h"
#include "data/period.h"
#include "data/profile.h"
#include "data/settingskeys.h"

#include <cmath>

namespace {

using namespace settingskeys;

// The value as a read buffer of bufferSize characters returns it: at most bufferSize - 1
// characters, ending at the first NUL.
QByteArray readValue(const Profile &profile, const QByteArray &section, int bufferSize) {
    QByteArray value = profile.value(section, kValueKey).left(bufferSize - 1);
    if (const qsizetype nul = value.indexOf('\0'); nul >= 0) value.truncate(nul);
    return value;
}

} // namespace

StoredSettings readSettings(const Profile &profile) {
    return {readValue(profile, kPortSection, 30), readValue(profile, kFreeValueSection, 10),
            readValue(profile, kSelectSection, 5), readValue(profile, kIndexSection, 5)};
}

bool restoredTick(const QByteArray &select) {
    bool ok = false;
    const double x = select.toDouble(&ok);
    return ok && x == 1.0;
}

int restoredIndex(const QByteArray &index) {
    bool ok = false;
    const double x = index.toDouble(&ok);
    if (!ok || !std::isfinite(x)) return 0;
    const double whole = roundHalfEven(x);
    return whole >= -1 && whole <= 4 ? int(whole) : 0;
}

bool saveSettings(Profile &profile, const QByteArray &port, const QByteArray &freeValue,
                  bool ticked, int index, QString *error) {
    return profile.save(
        [&](Profile &text, QString *reason) {
            return text.setValue(kPortSection, kValueKey, port, reason) &&
                   text.setValue(kFreeValueSection, kValueKey, freeValue, reason) &&
                   text.setValue(kSelectSection, kValueKey, ticked ? "1" : "0", reason) &&
                   text.setValue(kIndexSection, kValueKey, QByteArray::number(index), reason);
        },
        error);
}

WindowSettings WindowSettings::read(const Profile &profile) {
    const StoredSettings stored = readSettings(profile);
    return {stored.port,
            stored.freeValue,
            restoredTick(stored.select),
            restoredIndex(stored.index),
            readChartInterval(profile),
            readBoardSwitch(profile)};
}

bool WindowSettings::save(Profile &profile, QString *error) const {
    return profile.save(
        [this](Profile &text, QString *reason) {
            if (!saveSettings(text, port, freeValue, ticked, index, reason)) return false;
            if ((interval > 0 || !text.value(kChartSection, kIntervalKey).isEmpty()) &&
                !saveChartInterval(text, interval, reason))
                return false;
            if (boardSwitch != kSwitchMin || hasBoardSwitch(text))
                return saveBoardSwitch(text, boardSwitch, reason);
            return true;
        },
        error);
}
