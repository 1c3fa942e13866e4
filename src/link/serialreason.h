#pragma once

#include "link/serialdevice.h"

#include <QString>

// Plain French reasons for what a serial port reports, to stand inside the link's own sentences
// ("Impossible d'ouvrir le port COM1 : %1.", "... ne répond plus (%1)."). The port's own error
// text is the system's, in English on most systems, so it is never shown as it is.
//
// A device not found, a refused access and a port already open are said as such. Otherwise
// `systemText` is the port's error text for this very failure, as the failed call left it: a
// failed opening's. It says which system error it was (compared with the system's text of each
// error a port meets), and that error gives the reason. Without it, or for another error, the kind
// of failure gives it. A lost port passes none: the system error a read or write leaves behind
// may be an earlier call's.
QString serialReason(SerialDevice::SerialPortError error, const QString &systemText = {});
