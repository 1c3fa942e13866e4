#include "chart/sampleseries.h"

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
