#pragma once

#include <QByteArrayView>
#include <QtGlobal>

// Value of a hexadecimal field as recordings and the period code carry it.
// valid is false, and value 0, when the field holds anything but the digits 0-9 and the uppercase
// letters A-F, or when its value does not fit a signed 16-bit number (above 32767).
struct HexResult {
    qint16 value = 0;
    bool valid = true;
};

// Converts a field of hexadecimal digits, leftmost digit most significant. Nothing is padded or
// trimmed: the length of the field is its number of digits, and an empty field is worth 0.
// Lowercase letters are not digits here.
HexResult convertion_hex_dec(QByteArrayView field);
