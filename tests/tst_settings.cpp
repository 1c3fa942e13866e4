// The settings file (reading, writing, the port map, the values read back at start-up) and the
// period code a choice of preset or free value gives, down to the bytes sent. The window tests run
// the whole round trip through start-up and "Quitter"; these are the cases it can't reach.
#include "app/period.h"
#include "app/profile.h"
#include "app/settings.h"
#include "board/periodcommand.h"
#include "bytes.h"
#include "link/portmap.h"

#include <QTemporaryDir>
#include <QTest>

class SettingsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath("param.ini"); }

private slots:
    void init() { QFile::remove(path()); }

    void readingFindsValuesWhateverTheCase_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("expected");
        const auto row = [](const char *name, const char *content, const char *section,
                            const char *key, const char *expected) {
            QTest::newRow(name) << QByteArray(content) << QByteArray(section) << QByteArray(key)
                                << QByteArray(expected);
        };
        const char file[] = "; réglages\r\n[index]\r\nvaleur=-1\r\n[COM]\r\nValeur=COM10\r\n";
        row("section in another case", file, "Index", "valeur", "-1");
        row("key in another case", file, "com", "VALEUR", "COM10");
        row("missing section", file, "select", "valeur", "");
        row("missing key", file, "COM", "autre", "");
        row("key of another section not taken", "[a]\r\nk=1\r\n[b]\r\n", "b", "k", "");
        row("LF-only line ends", "[COM]\nvaleur=COM4\n[x]\nvaleur=9\n", "COM", "valeur", "COM4");
        row("last line without end", "[COM]\r\nvaleur=COM5", "COM", "valeur", "COM5");
        row("commented-out key", "[s]\r\n;valeur=1\r\nvaleur=0\r\n", "s", "valeur", "0");
        row("bytes above 0x7F kept", "[t]\r\nvaleur=\xe9\xff\r\n", "t", "valeur", "\xe9\xff");
    }

    void readingFindsValuesWhateverTheCase() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, expected);
        QVERIFY(writeFile(path(), content));
        QCOMPARE(Profile(path()).value(section, key), expected);
    }

    void writingKeepsTheRestOfTheFile_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("after");
        const auto row = [](const char *name, const QByteArray &before, const char *section,
                            const QByteArray &after) {
            QTest::newRow(name) << before << QByteArray(section) << after;
        };
        const QByteArray head = "; Volterne\r\n[ports]\r\nCOM1=/dev/ttyUSB0\r\n";
        const QByteArray tail = "\r\n[Index]\r\nvaleur=3\r\nautre=x\r\n\r\n[select]\r\n";
        row("key added at the end of its section", head + tail, "ports",
            head + "valeur=7\r\n" + tail);
        row("key added to the last, empty section", head + tail, "select",
            head + tail + "valeur=7\r\n");
        row("LF-only file rewritten with CR LF", "[a]\nk=1\n[COM]\nvaleur=1\n", "COM",
            "[a]\r\nk=1\r\n[COM]\r\nvaleur=7\r\n");
        row("last line without end", "[a]\r\nk=1", "COM", "[a]\r\nk=1\r\n[COM]\r\nvaleur=7\r\n");
    }

    void writingKeepsTheRestOfTheFile() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, after);
        QVERIFY(writeFile(path(), before));
        QVERIFY(Profile(path()).setValue(section, "valeur", "7"));
        QCOMPARE(readFile(path()), after);
    }

    void refusedWritesChangeNothingAndSayWhy() {
        const QByteArray before = "[COM]\r\nvaleur=COM3\r\n";
        QVERIFY(writeFile(path(), before));
        QString error;
        Profile profile(path());
        QVERIFY(!profile.setValue("temporisation", "valeur", "1\r\n[COM]\r\nvaleur=COM9", &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(readFile(path()), before);
        QVERIFY(
            !Profile(m_dir.filePath("absent/param.ini")).setValue("COM", "valeur", "1", &error));
        QVERIFY(error.contains("param.ini"));
    }

    void portsMapToDevices_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("expected");
#ifndef Q_OS_WIN
        QTest::newRow("unmapped COM2") << 2 << "/dev/ttyS1";
#endif
        QTest::newRow("COM1 mapped") << 1 << "/dev/ttyUSB0";
        QTest::newRow("COM10 mapped, not taken for COM1") << 10 << "/dev/ttyACM1";
    }

    void portsMapToDevices() {
        QFETCH(int, number);
        QFETCH(QString, expected);
        QVERIFY(writeFile(path(), "[COM]\r\nvaleur=COM1\r\n[Ports]\r\ncom1=/dev/ttyUSB0\r\n"
                                  "COM10=/dev/ttyACM1\r\n"));
        QCOMPARE(deviceForPort(number, Profile(path())), expected);
    }

    void storedValuesAreCutLikeAFixedReadBuffer() {
        QVERIFY(writeFile(path(), "[COM]\r\nvaleur=" + QByteArray(40, 'P') +
                                      "\r\n[select]\r\nvaleur=123456\r\n"
                                      "[Index]\r\nvaleur=1\0"
                                      "99\r\n"));
        const StoredSettings stored = readSettings(Profile(path()));
        QCOMPARE(stored.port, QByteArray(29, 'P'));
        QCOMPARE(stored.select, "1234");
        QCOMPARE(stored.index, "1");
    }

    void storedChoicesComeBackWithinRange_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("ticked"); // as the "select" value
        QTest::addColumn<int>("index");   // as the "Index" value
        const auto row = [](const char *text, bool ticked, int index) {
            QTest::newRow(text) << QByteArray(text) << ticked << index;
        };
        row("1", true, 1);
        row("1.0", true, 1);
        row(" 1", true, 1);
        row("1abc", false, 0);
        row("4", false, 4);
        row("2.5", false, 2);
        row("3.5", false, 4);
        row("-1.4", false, -1);
        row("4.6", false, 0);
        row("-2", false, 0);
        row("", false, 0);
    }

    void storedChoicesComeBackWithinRange() {
        QFETCH(QByteArray, stored);
        QFETCH(bool, ticked);
        QFETCH(int, index);
        QCOMPARE(restoredTick(stored), ticked);
        QCOMPARE(restoredIndex(stored), index);
    }

    void thePeriodChoiceGivesTheParamBytes_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("french");
        QTest::addColumn<QByteArray>("trailer"); // empty: refused
        const auto row = [](const char *name, int index, bool ticked, const char *text, bool french,
                            const char *hex) {
            QTest::newRow(name) << index << ticked << QString(text) << french
                                << QByteArray::fromHex(hex);
        };
        row("preset 1", 0, false, "9", false, "010001");
        row("preset 8", 1, false, "", false, "080001");
        row("preset 60", 2, false, "", false, "3c0001");
        row("preset 600", 3, false, "", false, "580201");
        row("preset 5400", 4, false, "", false, "181501");
        row("nothing selected keeps the previous value", -1, false, "", false, "4d0001");
        row("free 1 wins over the preset", 4, true, "1", false, "010001");
        row("free 255", 0, true, "255", false, "ff0001");
        row("free 256", 0, true, "256", false, "000101");
        row("free 40000", 0, true, "40000", false, "409c01");
        row("free 65534", 0, true, "65534", false, "feff01");
        row("free -1, two's complement", 0, true, "-1", false, "ffff01");
        row("free -32768", 0, true, "-32768", false, "008001");
        row("free 0", 0, true, "0", false, "000001");
        row("free 2.5 to even 2", 0, true, "2.5", false, "020001");
        row("free 3.5 to even 4", 0, true, "3.5", false, "040001");
        row("free 2,5 in French", -1, true, "2,5", true, "020001");
        row("blanks around", 0, true, " 12 ", false, "0c0001");
        row("empty", 0, true, "", false, "");
        row("letters", 0, true, "12a", false, "");
        row("point in French", 0, true, "2.5", true, "");
        row("group separator", 0, true, "1,000", false, "");
        row("below -32768", 0, true, "-32769", false, "");
        row("above 65534", 0, true, "65535", false, "");
        row("infinity", 0, true, "1e999", false, "");
    }

    void thePeriodChoiceGivesTheParamBytes() {
        QFETCH(int, index);
        QFETCH(bool, ticked);
        QFETCH(QString, text);
        QFETCH(bool, french);
        QFETCH(QByteArray, trailer);
        const QLocale locale = french ? QLocale(QLocale::French, QLocale::France) : QLocale::c();
        const std::optional<quint16> value = selectPeriodValue(index, ticked, text, locale, 77);
        QCOMPARE(value ? periodTrailer(*value) : QByteArray(), trailer);
    }
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
