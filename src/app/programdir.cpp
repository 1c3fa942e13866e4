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

#ifdef Q_OS_WIN

// On Windows the installation is where the user chose: the installer leaves its uninstaller
// beside the programs, the zip has none.
static QString installBinDirectory() {
    const QString directory = QCoreApplication::applicationDirPath();
    return QFileInfo::exists(QDir(directory).filePath(QLatin1String(kWindowsUninstaller)))
               ? directory
               : QString();
}

QString installedGuide() {
    const QString guide =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("guide/guide.html"));
    return QFileInfo::exists(guide) ? QDir::toNativeSeparators(guide) : QString();
}

static QString userDataDirectory() {
    // %LOCALAPPDATA%\Volterne: the machine's own, not a roaming profile's.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Volterne"));
}

#else

static QString installBinDirectory() {
    return QStringLiteral(VOLTERNE_INSTALL_BINDIR);
}

QString installedGuide() {
    const QString guide = QStringLiteral(VOLTERNE_INSTALL_DOCDIR "/guide.md");
    return QFileInfo::exists(guide) ? guide : QString();
}

static QString userDataDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

#endif

QString userGuide() {
    const QString installed = installedGuide();
    if (!installed.isEmpty()) return installed;
    const QString sources = QStringLiteral(VOLTERNE_SOURCE_DIR "/docs/guide.md");
    return QFileInfo::exists(sources) ? QDir::toNativeSeparators(sources) : QString();
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
    return programDirectory(QCoreApplication::applicationDirPath(), installBinDirectory(),
                            userDataDirectory());
}
