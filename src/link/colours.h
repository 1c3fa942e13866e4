#pragma once

#include <QtGlobal>

// The window's colours: 24-bit values 0x00BBGGRR, with kButtonFace standing
// for the system's button-face colour.
namespace colours {

inline constexpr quint32 kLightGreen = 0xC0FFC0;
inline constexpr quint32 kLightCyan = 0xFFFFC0;
inline constexpr quint32 kLightYellow = 0xC0FFFF;
inline constexpr quint32 kRed = 0x0000FF;
inline constexpr quint32 kBlue = 0xFF0000;
inline constexpr quint32 kButtonFace = 0x8000000F;

} // namespace colours
