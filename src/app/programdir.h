#pragma once

#include <QString>

// Where the program keeps param.ini, its recordings, fichier_excel.csv and temp.txt.
//
// An installed program (one that runs from the installation's bin directory; on Windows, one
// with the installer's uninstaller beside it) always uses the user's data folder
// (~/.local/share/volterne, %LOCALAPPDATA%\Volterne), even when it could write beside itself (run
// as root): the installation belongs to the package manager and holds no user's files. A program
// run from a build or an unpacked folder uses its own directory when it can write there, and the
// user's data folder otherwise.
QString programDirectory();

// What the Windows installer leaves beside the programs, and the zip does not.
inline constexpr char kWindowsUninstaller[] = "uninstall.exe";

// The same rule for a program in `applicationDirectory`, the installation's programs being in
// `installBinDirectory` and the user's data folder being `dataDirectory`, which is made when it is
// the answer and does not exist yet (an installed program's first run).
QString programDirectory(const QString &applicationDirectory, const QString &installBinDirectory,
                         const QString &dataDirectory);

// The user guide as the package (or the Windows installer, as HTML) installs it, or empty when it
// is not there.
QString installedGuide();

// Where the user guide is: the installed one, else the one in the source tree the program was
// built from (a program run from its build); empty when neither is there.
QString userGuide();

// True when a program in `applicationDirectory` runs from the installation, whose programs live
// in `installBinDirectory`. Both are compared as absolute, cleaned paths with links resolved, so
// "..", "//" and a trailing "/" make no difference.
bool runsFromInstallation(const QString &applicationDirectory, const QString &installBinDirectory);
