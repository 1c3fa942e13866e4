#include "data/dump.h"
#include "data/recording.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray fileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing " + path.toUtf8());
}

QString dataPath(const QString &name) {
    return QStringLiteral(VOLTERNE_TEST_DATA "/recording/") + name;
}

} // namespace

class RecordingTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void fileNamesCarryTheDate_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("name");

        QTest::newRow("5 December 2026") << QDate(2026, 12, 5) << "transfert_05122026.txt";
        QTest::newRow("1 March 2027") << QDate(2027, 3, 1) << "transfert_01032027.txt";
    }

    void fileNamesCarryTheDate() {
        QFETCH(QDate, date);
        QFETCH(QString, name);
        QCOMPARE(recordingFileName(date), name);
    }

    void anEarlierDownloadOfTheDayIsKept() {
        const QDir dir(m_dir.path());
        const QString name = "transfert_05122026.txt";
        QString error;
        QVERIFY(keepEarlierRecording(dir, name, &error)); // nothing to keep yet
        QVERIFY(writeRecording(dir.filePath(name), "premier", &error));
        QVERIFY(keepEarlierRecording(dir, name, &error));
        QVERIFY(writeRecording(dir.filePath(name), "second", &error));
        QVERIFY(keepEarlierRecording(dir, name, &error));
        QVERIFY(writeRecording(dir.filePath(name), "troisième", &error));

        QCOMPARE(fileBytes(dir.filePath("transfert_05122026-1.txt")), QByteArray("premier\r\n"));
        QCOMPARE(fileBytes(dir.filePath("transfert_05122026-2.txt")), QByteArray("second\r\n"));
        QCOMPARE(fileBytes(dir.filePath(name)), QByteArray("troisième\r\n"));
    }

    void writingAddsCrLfAndKeepsEveryByte() {
        const QString path = m_dir.filePath("temp.txt");
        QByteArray all(256, Qt::Uninitialized);
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        QString error;
        QVERIFY(writeRecording(path, QByteArray(5000, 'x'), &error));
        QVERIFY(writeRecording(path, all, &error)); // a shorter text replaces a longer one
        QCOMPARE(fileBytes(path), all + "\r\n");
        QVERIFY(writeRecording(path, QByteArrayView(), &error));
        QCOMPARE(fileBytes(path), QByteArray("\r\n"));
    }

    void writingFailuresAreReported_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing folder") << m_dir.filePath("absent/transfert_05122026.txt");
        QTest::newRow("folder in the way") << m_dir.path();
    }

    void writingFailuresAreReported() {
        QFETCH(QString, path);
        QString error;
        QVERIFY(!writeRecording(path, "0123 0456 0789 .", &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFileInfo(path).isFile());
    }

    void loadingEndsEveryLineWithCrLf_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("last line without end") << "no_final_end";
        QTest::newRow("CR alone ends lines") << "cr_only";
        QTest::newRow("lone LF, NUL and high bytes") << "mixed_bytes";
        QTest::newRow("empty file") << "empty";
    }

    void loadingEndsEveryLineWithCrLf() {
        QFETCH(QString, name);
        const QByteArray expected = fileBytes(dataPath(name + ".expected"));
        QByteArray text = "old";
        QString error;
        QVERIFY(loadRecording(dataPath(name + ".txt"), &text, &error));
        QCOMPARE(text, expected);
        QBuffer device;
        device.setData(fileBytes(dataPath(name + ".txt")));
        device.open(QIODevice::ReadOnly);
        QCOMPARE(loadRecording(device), expected);
        QVERIFY(!loadRecording(m_dir.filePath("absent.txt"), &text, &error));
        QVERIFY(error.contains("absent.txt"));
    }

    void captionsShowNameDateAndSize_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("caption");

        QTest::newRow("French") << "fr_FR" << QTime(14, 3, 7)
                                << "transfert_05122026.txt - 05/12/2026 14:03:07 - 20 oct";
        QTest::newRow("French at midnight")
            << "fr_FR" << QTime(0, 0) << "transfert_05122026.txt - 05/12/2026 - 20 oct";
        QTest::newRow("American") << "en_US" << QTime(14, 3, 7)
                                  << "transfert_05122026.txt - 12/5/26 2:03:07 PM - 20 oct";
    }

    void captionsShowNameDateAndSize() {
        QFETCH(QString, locale);
        QFETCH(QTime, time);
        QFETCH(QString, caption);

        const QString path = m_dir.filePath("transfert_05122026.txt");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(20, '0'));
        QVERIFY(file.flush()); // a write after the time is set would move it again
        QVERIFY(file.setFileTime(QDateTime(QDate(2026, 12, 5), time),
                                 QFileDevice::FileModificationTime));
        file.close();
        QCOMPARE(recordingCaption(QFileInfo(path), QLocale(locale)), caption);
    }

    void dumpsPairCharactersAndBreakAtDots_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("dump");

        QTest::newRow("AB12CD.EF") << QByteArray("AB12CD.EF") << QByteArray("AB 12 CD \r\nEF \r\n");
        QTest::newRow("0A1B.2C") << QByteArray("0A1B.2C") << QByteArray("0A 1B \r\n2C \r\n");
        QTest::newRow("odd run ABC.") << QByteArray("ABC.") << QByteArray("AB C\r\n\r\n");
        QTest::newRow("empty") << QByteArray() << QByteArray("\r\n");
        QTest::newRow("CR, LF and NUL are characters")
            << QByteArray("\r\n\0\xFF.", 5) << QByteArray("\r\n \0\xFF \r\n\r\n", 10);
    }

    void dumpsPairCharactersAndBreakAtDots() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, dump);
        QCOMPARE(dumpLayout(text), dump);
    }
};

QTEST_GUILESS_MAIN(RecordingTest)
#include "tst_recording.moc"
