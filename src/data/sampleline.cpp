#include "data/sampleline.h"

QByteArray sampleLine(const std::array<int, 3> &channels) {
    QByteArray line;
    line.reserve(18);
    for (int value : channels)
        line += QByteArray::number(value, 16).toUpper().rightJustified(4, '0') + ' ';
    return line + ".\r\n";
}
