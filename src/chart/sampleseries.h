#pragma once

#include "data/channels.h"
#include "data/sampledecoder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <array>
#include <vector>

// The samples a chart shows, read from recording text by the sample decoder: three channels
// ("Voie1", "Voie2", "Voie3") of raw values, one sample for each row of the spreadsheet the
// conversion writes, the value of its column k on channel k. A row that runs on across lines may
// hold more than three cells: the later ones belong to no channel. The last row, unfinished, lacks
// its last channels.
//
// Each value is kept in two bytes: a field's value is 0 to 32767, so negative numbers are free to
// mark the two kinds of gap. A chart of a 10 MB recording (about 550 000 samples) holds 3.3 MB.
class SampleSeries {
public:
    static constexpr qint16 kInvalid = -1; // the field is not a hexadecimal value
    static constexpr qint16 kMissing = -2; // the row ended before this channel

    static bool holdsValue(qint16 value) { return value >= 0; }

    // Replaces the samples with those of a whole text, its last line read even without line end.
    void setText(QByteArrayView text);
    // Adds the samples of the next chunk of a text that is still arriving. A line split across
    // chunks is read once, when its end arrives; a row that runs on into the next line is
    // completed then.
    void append(QByteArrayView chunk);
    void clear();

    // Keeps only the last `capacity` samples, a rolling window over a stream of chunks; 0 keeps
    // them all.
    void setCapacity(qint64 capacity);
    qint64 capacity() const { return m_capacity; }

    qint64 size() const { return qint64(m_values[0].size()) - m_start; }
    bool isEmpty() const { return size() == 0; }
    // Samples the rolling window has let go since the last setText() or clear(): sample i of the
    // series is sample dropped() + i of the stream.
    qint64 dropped() const { return m_dropped + m_start; }
    qint16 value(int channel, qint64 sample) const { return m_values[channel][m_start + sample]; }
    // The size() values of one channel, oldest first.
    const qint16 *channel(int channel) const { return m_values[channel].data() + m_start; }

    // Samples `first` to `last` (positions in the series) as recording lines that the sample
    // decoder reads back into the same rows: "0123 0456 0789 .", CR LF, one line a sample; an
    // invalid field as "????", the channels a last unfinished row lacks left out.
    QByteArray lines(qint64 first, qint64 last) const;

private:
    void take(const SampleField &field);
    void trim();

    SampleDecoder m_decoder;
    std::array<std::vector<qint16>, kChannels> m_values;
    qint64 m_start = 0; // samples before it have left the rolling window but are not erased yet
    qint64 m_dropped = 0;
    qint64 m_capacity = 0;
};
