#pragma once

#include <QString>

// Plain French reasons for failed file operations, worded for the user of the window.
namespace filereason {

// Why the file at path could not be opened for reading.
QString cannotRead(const QString &path);

// Why the file at path could not be created or emptied for writing.
QString cannotCreate(const QString &path);

// A write or the final flush failed after the file was opened.
QString cannotWrite(const QString &path);

} // namespace filereason
