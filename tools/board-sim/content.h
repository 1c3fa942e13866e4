#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>

// What the simulated board has to say: its recorded samples and its internal EEPROM.

// Three 10-bit channels that look like real measurements: a slow sine on channel 1, a
// temperature-like drift on channel 2 and noise around a constant on channel 3. The sequence
// depends only on the number of samples taken, so every run sends the same values.
class SampleSource {
public:
    std::array<int, 3> next();

private:
    int m_index = 0;
    std::uint32_t m_noise = 0x1234567u; // state of a small linear congruential generator
};

// The 256 bytes of the micro-controller's internal EEPROM: a few configuration bytes, the rest
// erased (0xFF). The acquisition period is kept in its first two bytes, low byte first.
class Eeprom {
public:
    Eeprom();
    void setPeriod(std::uint8_t low, std::uint8_t high);
    // 16 lines of 16 bytes as two uppercase hex digits separated by blanks, each ending in CR LF.
    QByteArray dump() const;

private:
    std::array<std::uint8_t, 256> m_bytes{};
};
