#pragma once

#include "data/channelsettings.h"
#include "data/sampledecoder.h"

#include <QByteArrayView>
#include <QLocale>
#include <QStringList>
#include <QTime>

#include <array>

// Follows a real-time reading's samples against each channel's limits, through its calibration:
// the first sample of an excursion and the first one back within the limits are each said once,
// with the time of day their chunk arrived:
// "Température au-dessus de 30 °C depuis 14:03:12", "Température au-dessous de 5 °C depuis
// 14:03:12", "Température de nouveau dans ses limites depuis 14:05:00". A channel without limits,
// and a field that is not a value, say nothing.
class LimitWatch {
public:
    explicit LimitWatch(ChannelSettings channels = {}, QLocale locale = QLocale());

    // Starts again, with these channels, as at the start of a reading.
    void restart(const ChannelSettings &channels);
    // The chunk's samples, arrived at `arrival`: what they say, in order.
    QStringList feed(QByteArrayView chunk, QTime arrival);
    // Samples seen since the start, rows of the spreadsheet the reading gives.
    qint64 samples() const { return m_samples; }

private:
    void take(int channel, qint16 raw, QTime arrival, QStringList &said);

    ChannelSettings m_channels;
    QLocale m_locale;
    SampleDecoder m_decoder;
    std::array<int, kChannels> m_side{}; // -1 below, 0 within, 1 above
    qint64 m_samples = 0;
};
