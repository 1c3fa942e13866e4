// The program as installed: where an installed program keeps its files, and the desktop entry and
// AppStream metainfo that the installation carries, checked by the desktop's own validators when
// they are on the machine.
#include "app/programdir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kPackageData = QStringLiteral(VOLTERNE_PACKAGE_DATA "/");

struct Validation {
    int status = -1;
    QString output;
};

Validation validate(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(-1)) return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

} // namespace

class InstallTest : public QObject {
    Q_OBJECT

private slots:
    void programsRunningFromTheInstallationAreRecognised_data() {
        QTest::addColumn<QString>("application");
        QTest::addColumn<QString>("installBin");
        QTest::addColumn<bool>("installed");
        QTest::newRow("the installation's bin") << "/usr/bin"
                                                << "/usr/bin" << true;
        QTest::newRow("written another way") << "/usr/lib/../bin/"
                                             << "/usr//bin" << true;
        QTest::newRow("a build folder") << "/home/ana/volterne/build"
                                        << "/usr/bin" << false;
        QTest::newRow("an unpacked package") << "/home/ana/extrait/usr/bin"
                                             << "/usr/bin" << false;
        QTest::newRow("another prefix") << "/usr/local/bin"
                                        << "/usr/bin" << false;
        QTest::newRow("no installation known") << "/usr/bin" << QString() << false;
    }

    void programsRunningFromTheInstallationAreRecognised() {
        QFETCH(QString, application);
        QFETCH(QString, installBin);
        QFETCH(bool, installed);
        QCOMPARE(runsFromInstallation(application, installBin), installed);
    }

    // Beside itself when run from a build; an installed program (reached through a link, a merged
    // /bin say) never writes in the installation and makes its data folder at its first run.
    void theFilesGoBesideABuiltProgramOrIntoTheDataFolderOfAnInstalledOne() {
        QCOMPARE(programDirectory(), QCoreApplication::applicationDirPath());
        QTemporaryDir dir;
        const QString bin = dir.filePath("usr/bin"), data = dir.filePath("home/.local/Volterne");
        QVERIFY(QDir().mkpath(bin) && QFile::link(bin, dir.filePath("bin")));
        QCOMPARE(programDirectory(bin, QString(), data), bin);
        QVERIFY(!QFileInfo::exists(data));
        QCOMPARE(programDirectory(dir.filePath("bin"), bin, data), data);
        QVERIFY(QFileInfo(data).isDir());
    }

    void theDesktopEntryIsValid() {
        const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
        if (validator.isEmpty()) QSKIP("desktop-file-validate is not installed");
        const Validation result =
            validate(validator, {kPackageData + "org.volterne.volterne.desktop"});
        QVERIFY2(result.status == 0 && result.output.isEmpty(), qPrintable(result.output));
    }

    void theMetainfoIsValid() {
        const QString validator = QStandardPaths::findExecutable("appstreamcli");
        if (validator.isEmpty()) QSKIP("appstreamcli is not installed");
        const Validation result =
            validate(validator, {"validate", "--no-net", "--pedantic",
                                 kPackageData + "org.volterne.volterne.metainfo.xml"});
        QVERIFY2(result.status == 0, qPrintable(result.output));
    }
};

QTEST_GUILESS_MAIN(InstallTest)
#include "tst_install.moc"
