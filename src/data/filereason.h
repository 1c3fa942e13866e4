#pragma once

#include <QString>

// Plain French reasons for failed file operations, worded for the user of the window. The system's
// own error texts are not in French, so the error number it gave (errno, taken right after the
// failed call; 0 when unknown) is turned into a French reason here.
namespace filereason {

// The system's reason for error number `error`: "disque plein", "accès refusé", ...
QString systemReason(int error);

// Why the file at path could not be opened for reading.
QString cannotRead(const QString &path);

// Why the file at path could not be created or emptied for writing.
QString cannotCreate(const QString &path, int error = 0);

// A write or the final flush failed after the file was opened.
QString cannotWrite(const QString &path, int error = 0);

// A path as the status line shows it: the system's separators, the home folder as "~"
// ("~/.local/share/volterne/transfert_06122026.txt").
QString shownPath(const QString &path);

} // namespace filereason
