#include "data/hexfield.h"

namespace {

constexpr int kNotADigit = -1;

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return kNotADigit;
}

} // namespace

HexResult convertion_hex_dec(QByteArrayView field) {
    // Summing digit times weight from the left gives partial sums that only grow, so the field
    // leaves the 16-bit range exactly when this running value does; checking it at every digit
    // also keeps a long field of leading zeros valid and a long field of anything else bounded.
    int value = 0;
    for (char c : field) {
        const int digit = digitValue(c);
        if (digit == kNotADigit) return {0, false};
        value = value * 16 + digit;
        if (value > 32767) return {0, false};
    }
    return {static_cast<qint16>(value), true};
}
