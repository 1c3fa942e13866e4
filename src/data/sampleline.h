#pragma once

#include <QByteArray>

#include <array>

// One sample line as the board sends it: the three channels in four uppercase hexadecimal digits,
// each followed by a blank, then "." and CR LF ("0123 0456 0789 .\r\n").
QByteArray sampleLine(const std::array<int, 3> &channels);
