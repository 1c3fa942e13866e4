#include "data/limitwatch.h"

namespace {
QString limitText(double value, const QString &unit, QLocale locale) {
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const QString number = locale.toString(value, 'g', QLocale::FloatingPointShortest);
    return unit.isEmpty() ? number : number + u' ' + unit;
}
} // namespace

LimitWatch::LimitWatch(ChannelSettings channels, QLocale locale)
    : m_channels(std::move(channels)), m_locale(std::move(locale)) {
}

void LimitWatch::restart(const ChannelSettings &channels) {
    m_channels = channels;
    m_decoder = SampleDecoder();
    m_side.fill(0);
    m_samples = 0;
}

QStringList LimitWatch::feed(QByteArrayView chunk, QTime arrival) {
    QStringList said;
    m_decoder.feed(chunk, [&](const SampleField &field) {
        if (field.column == 0) ++m_samples;
        if (field.column < kChannels && field.value.valid)
            take(int(field.column), field.value.value, arrival, said);
    });
    return said;
}

void LimitWatch::take(int channel, qint16 raw, QTime arrival, QStringList &said) {
    const ChannelSetting &setting = m_channels.channels[channel];
    if (!setting.hasLimits()) return;
    const int side = setting.outside(setting.calibration(raw));
    if (side == m_side[channel]) return;
    m_side[channel] = side;
    const QString when = arrival.toString(QStringLiteral("HH:mm:ss"));
    if (side == 0)
        said << QStringLiteral("%1 de nouveau dans ses limites depuis %2").arg(setting.name, when);
    else
        said << QStringLiteral("%1 %2 de %3 depuis %4")
                    .arg(setting.name,
                         side > 0 ? QStringLiteral("au-dessus") : QStringLiteral("au-dessous"),
                         limitText(side > 0 ? *setting.high : *setting.low, setting.unit, m_locale),
                         when);
}
