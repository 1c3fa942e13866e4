#pragma once

#include <QByteArray>
#include <QtGlobal>

// Second write of the "Param" command: the low byte of the period value, its high byte, then 0x01.
// The two bytes come from the four uppercase hexadecimal digits of the value (zero-padded), the
// first two read as the high byte and the last two as the low byte.
QByteArray periodTrailer(quint16 periodValue);
