#include "content.h"

#include <algorithm>
#include <cmath>
#include <numbers>

std::array<int, 3> SampleSource::next() {
    const double t = m_index++;
    m_noise = m_noise * 1664525u + 1013904223u;
    const int noise = int((m_noise >> 24) % 17) - 8;

    const double sine = 512.0 + 380.0 * std::sin(2.0 * std::numbers::pi * t / 48.0);
    const double drift = 300.0 + 150.0 * (1.0 - std::exp(-t / 200.0)) + 6.0 * std::sin(t / 7.0);
    const double level = 700.0 + noise;
    const auto clamp = [](double value) { return std::clamp(int(std::lround(value)), 0, 1023); };
    return {clamp(sine), clamp(drift), clamp(level)};
}

Eeprom::Eeprom() {
    m_bytes.fill(0xFF);
    // Period code 60 (30 s with the switch on 1), a record pointer at the start of the external
    // memory, the switch setting read at the last start, and a firmware version mark.
    const std::uint8_t configuration[] = {0x3C, 0x00, 0x00, 0x00, 0x01, 0x10, 0xA5};
    std::copy(std::begin(configuration), std::end(configuration), m_bytes.begin());
}

void Eeprom::setPeriod(std::uint8_t low, std::uint8_t high) {
    m_bytes[0] = low;
    m_bytes[1] = high;
}

QByteArray Eeprom::dump() const {
    QByteArray text;
    for (std::size_t row = 0; row < 16; ++row) {
        for (std::size_t column = 0; column < 16; ++column) {
            if (column > 0) text += ' ';
            text +=
                QByteArray::number(m_bytes[row * 16 + column], 16).toUpper().rightJustified(2, '0');
        }
        text += "\r\n";
    }
    return text;
}
