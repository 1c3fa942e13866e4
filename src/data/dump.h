#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Lays out a received chunk as a dump: its characters in pairs separated by blanks, one record a
// line. Each "." ends a record (it becomes CR LF and restarts the pairing); every other byte, CR
// and LF included, is copied as it is. A final CR LF closes the dump, so an empty text gives CR LF.
QByteArray dumpLayout(QByteArrayView text);
