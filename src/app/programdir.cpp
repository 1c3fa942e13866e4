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

QString programDirectory() {
    const QString own = QCoreApplication::applicationDirPath();
    // The build gives the bin directory of the prefix it installs into. An installed program
    // never writes there, not even a probe.
    if (!runsFromInstallation(own, QStringLiteral(VOLTERNE_INSTALL_BINDIR)) && canWriteIn(own))
        return own;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return data;
}
