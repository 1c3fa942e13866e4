#include "app/profile.h"
#include "app/settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class SettingsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path() const { return m_dir.filePath(kSettingsFileName); }

private slots:
    void init() { QFile::remove(path()); }

    void withoutAFileEverythingReadsEmpty() {
        const StoredSettings stored = readSettings(Profile(path()));
        QCOMPARE(stored.port, "");
        QCOMPARE(stored.freeValue, "");
        QCOMPARE(stored.select, "");
        QCOMPARE(stored.index, "");
        QCOMPARE(restoredTick(stored.select), false);
        QCOMPARE(restoredIndex(stored.index), 0);
    }

    void savedSettingsComeBack_data() {
        QTest::addColumn<QByteArray>("port");
        QTest::addColumn<QByteArray>("freeValue");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<int>("index");
        QTest::addColumn<QByteArray>("freeRead");

        const auto row = [](const char *name, const char *port, const char *freeValue, bool ticked,
                            int index, const char *freeRead) {
            QTest::newRow(name) << QByteArray(port) << QByteArray(freeValue) << ticked << index
                                << QByteArray(freeRead);
        };
        row("COM3, ticked", "COM3", "1", true, 0, "1");
        row("COM10 whole, unticked", "COM10", "40000", false, 4, "40000");
        row("lower case port kept as written", "com3", "2,5", false, 2, "2,5");
        row("nothing selected", "COM12", "", false, -1, "");
        row("free text cut to 9 characters", "COM1", "1234567890123", true, 1, "123456789");
    }

    void savedSettingsComeBack() {
        QFETCH(QByteArray, port);
        QFETCH(QByteArray, freeValue);
        QFETCH(bool, ticked);
        QFETCH(int, index);
        QFETCH(QByteArray, freeRead);

        Profile profile(path());
        QString error;
        QVERIFY2(saveSettings(profile, port, freeValue, ticked, index, &error), qPrintable(error));
        const StoredSettings stored = readSettings(profile);
        QCOMPARE(stored.port, port);
        QCOMPARE(stored.freeValue, freeRead);
        QCOMPARE(stored.select, ticked ? "1" : "0");
        QCOMPARE(stored.index, QByteArray::number(index));
        QCOMPARE(restoredTick(stored.select), ticked);
        QCOMPARE(restoredIndex(stored.index), index);
    }

    void theFileHoldsTheFourSectionsInOrder() {
        Profile profile(path());
        QVERIFY(saveSettings(profile, "COM3", "1", false, 0, nullptr));
        QFile file(path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "[COM]\r\nvaleur=COM3\r\n[temporisation]\r\nvaleur=1\r\n"
                                 "[select]\r\nvaleur=0\r\n[index]\r\nvaleur=0\r\n");
    }

    void valuesAreCutLikeAFixedReadBuffer() {
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[COM]\r\nvaleur=" + QByteArray(40, 'P') +
                   "\r\n[select]\r\nvaleur=123456\r\n"
                   "[Index]\r\nvaleur=1\0"
                   "99\r\n");
        file.close();
        const StoredSettings stored = readSettings(Profile(path()));
        QCOMPARE(stored.port, QByteArray(29, 'P'));
        QCOMPARE(stored.select, "1234");
        QCOMPARE(stored.index, "1");
    }

    void theTickComesBackOnlyForTheNumberOne_data() {
        QTest::addColumn<QByteArray>("select");
        QTest::addColumn<bool>("ticked");

        for (const char *text : {"1", "1.0", " 1"})
            QTest::newRow(text) << QByteArray(text) << true;
        for (const char *text : {"0", "2", "-1", "", "abc", "1abc"})
            QTest::newRow(text) << QByteArray(text) << false;
    }

    void theTickComesBackOnlyForTheNumberOne() {
        QFETCH(QByteArray, select);
        QFETCH(bool, ticked);
        QCOMPARE(restoredTick(select), ticked);
    }

    void theIndexComesBackWithinItsRange_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("index");

        // Out of -1..4, or not a number: the first preset.
        const std::pair<const char *, int> rows[] = {
            {"4", 4}, {"-1", -1}, {"2.5", 2}, {"3.5", 4}, {"-1.4", -1},
            {"7", 0}, {"4.6", 0}, {"-2", 0},  {"abc", 0}, {"", 0}};
        for (const auto &[text, index] : rows)
            QTest::newRow(text) << QByteArray(text) << index;
    }

    void theIndexComesBackWithinItsRange() {
        QFETCH(QByteArray, stored);
        QFETCH(int, index);
        QCOMPARE(restoredIndex(stored), index);
    }

    void aFailedWriteStopsTheSave() {
        Profile profile(m_dir.filePath("absent/param.ini"));
        QString error;
        QVERIFY(!saveSettings(profile, "COM3", "1", true, 0, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
