#pragma once

// The serial port class under the board link: Qt's own where Qt Serial Port is built, a Win32 one
// of the program's on Windows (same interface, as far as the link uses it).
#include <QtGlobal>

#ifdef Q_OS_WIN
#include "link/winserialport.h"
using SerialDevice = WinSerialPort;
#else
#include <QSerialPort>
using SerialDevice = QSerialPort;
#endif
