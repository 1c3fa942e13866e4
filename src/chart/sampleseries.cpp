#include "chart/sampleseries.h"

#include <algorithm>

void SampleSeries::setText(QByteArrayView text) {
    clear();
    auto take = [this](const SampleField &field) { this->take(field); };
    m_decoder.feed(text, take);
    m_decoder.finish(take);
    trim();
    // A whole text does not grow: give back what the vectors reserved for growing.
    for (auto &values : m_values)
        values.shrink_to_fit();
}

void SampleSeries::append(QByteArrayView chunk) {
    m_decoder.feed(chunk, [this](const SampleField &field) { take(field); });
    trim();
}

void SampleSeries::clear() {
    m_decoder.reset();
    for (auto &values : m_values)
        values.clear();
    m_start = 0;
    m_dropped = 0;
}

void SampleSeries::setCapacity(qint64 capacity) {
    m_capacity = std::max<qint64>(capacity, 0);
    trim();
}

void SampleSeries::take(const SampleField &field) {
    if (field.column == 0) {
        for (auto &values : m_values)
            values.push_back(kMissing);
    }
    if (field.column < kChannels)
        m_values[field.column].back() = field.value.valid ? field.value.value : kInvalid;
}

void SampleSeries::trim() {
    if (m_capacity == 0 || size() <= m_capacity) return;
    m_start = qint64(m_values[0].size()) - m_capacity;
    // Erasing the front only once it is as long as the window keeps the cost of a chunk in
    // proportion to the chunk, not to the window.
    if (m_start < m_capacity) return;
    for (auto &values : m_values)
        values.erase(values.begin(), values.begin() + m_start);
    m_dropped += m_start;
    m_start = 0;
}

QByteArray SampleSeries::lines(qint64 first, qint64 last) const {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    QByteArray text;
    first = std::max<qint64>(first, 0);
    last = std::min(last, size() - 1);
    if (last < first) return text;
    text.reserve((last - first + 1) * qsizetype(sizeof "0123 0456 0789 .\r\n"));
    for (qint64 sample = first; sample <= last; ++sample) {
        for (int c = 0; c < kChannels; ++c) {
            const qint16 v = value(c, sample);
            if (v == kMissing) break;
            if (holdsValue(v)) {
                for (int shift = 12; shift >= 0; shift -= 4)
                    text.append(kDigits[(v >> shift) & 0xF]);
            } else {
                text.append("????");
            }
            text.append(' ');
        }
        text.append(".\r\n");
    }
    return text;
}
