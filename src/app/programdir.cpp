#include "app/programdir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

bool canWriteIn(const QString &directory) {
    QTemporaryFile probe(QDir(directory).filePath(QStringLiteral(".volterne-XXXXXX")));
    return probe.open();
}

// The same directory however it is written: links resolved when it exists.
QString comparable(const QString &directory) {
    const QString canonical = QFileInfo(directory).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QDir(directory).absolutePath()) : canonical;
}

} // namespace

bool runsFromInstallation(const QString &applicationDirectory, const QString &installBinDirectory) {
    return !installBinDirectory.isEmpty() &&
           comparable(applicationDirectory) == comparable(installBinDirectory);
}

QString installedGuide() {
    const QString guide = QStringLiteral(VOLTERNE_INSTALL_DOCDIR "/guide.md");
    return QFileInfo::exists(guide) ? guide : QString();
}

QString programDirectory(const QString &applicationDirectory, const QString &installBinDirectory,
                         const QString &dataDirectory) {
    // An installed program never writes in the installation, not even a probe.
    if (!runsFromInstallation(applicationDirectory, installBinDirectory) &&
        canWriteIn(applicationDirectory))
        return applicationDirectory;
    QDir().mkpath(dataDirectory);
    return dataDirectory;
}

QString programDirectory() {
    // The build gives the bin directory of the prefix it installs into.
    return programDirectory(QCoreApplication::applicationDirPath(),
                            QStringLiteral(VOLTERNE_INSTALL_BINDIR),
                            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}
