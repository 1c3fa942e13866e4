#include "app/profile.h"
#include "link/portmap.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class ProfileTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path() const { return m_dir.filePath("param.ini"); }

    void writeFile(const QByteArray &content) {
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QByteArray fileContent() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void init() { QFile::remove(path()); }

    void aFreshFileHoldsTheFourSectionsAsEightLines() {
        Profile profile(path());
        QVERIFY(profile.setValue("COM", "valeur", "COM3"));
        QVERIFY(profile.setValue("temporisation", "valeur", "1"));
        QVERIFY(profile.setValue("select", "valeur", "0"));
        QVERIFY(profile.setValue("index", "valeur", "0"));
        QCOMPARE(fileContent(), QByteArray("[COM]\r\nvaleur=COM3\r\n[temporisation]\r\nvaleur=1\r\n"
                                           "[select]\r\nvaleur=0\r\n[index]\r\nvaleur=0\r\n"));
    }

    void readingFindsValues_data() {
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
        row("header written lower case, read as Index", file, "Index", "valeur", "-1");
        row("key in another case", file, "com", "VALEUR", "COM10");
        row("missing section", file, "select", "valeur", "");
        row("missing key", file, "COM", "autre", "");
        row("key of another section not taken", "[a]\r\nk=1\r\n[b]\r\n", "b", "k", "");
        row("LF-only line ends", "[COM]\nvaleur=COM4\n[x]\nvaleur=9\n", "COM", "valeur", "COM4");
        row("last line without end", "[COM]\r\nvaleur=COM5", "COM", "valeur", "COM5");
        row("commented-out key", "[s]\r\n;valeur=1\r\nvaleur=0\r\n", "s", "valeur", "0");
        row("bytes above 0x7F kept", "[t]\r\nvaleur=\xe9\xff\r\n", "t", "valeur", "\xe9\xff");
    }

    void readingFindsValues() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, expected);
        writeFile(content);
        QCOMPARE(Profile(path()).value(section, key), expected);
    }

    void aMissingFileReadsEmpty() { QCOMPARE(Profile(path()).value("COM", "valeur"), ""); }

    void writingKeepsTheRestOfTheFile_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("after");

        const auto row = [](const char *name, const char *before, const char *section,
                            const char *after) {
            QTest::newRow(name) << QByteArray(before) << QByteArray(section) << QByteArray(after);
        };
        const char head[] = "; Volterne\r\n[ports]\r\nCOM1=/dev/ttyUSB0\r\n";
        const char tail[] = "\r\n[Index]\r\nvaleur=3\r\nautre=x\r\n\r\n[select]\r\n";
        const QByteArray before = QByteArray(head) + tail;
        QTest::newRow("value replaced in a section of another case")
            << before << QByteArray("index") << QByteArray(before).replace("=3", "=7");
        QTest::newRow("key added at the end of its section")
            << before << QByteArray("ports") << head + QByteArray("valeur=7\r\n") + tail;
        QTest::newRow("key added to the last, empty section")
            << before << QByteArray("select") << before + "valeur=7\r\n";
        QTest::newRow("section added at the end")
            << before << QByteArray("COM") << before + "[COM]\r\nvaleur=7\r\n";
        row("LF-only file rewritten with CR LF", "[a]\nk=1\n[COM]\nvaleur=1\n", "COM",
            "[a]\r\nk=1\r\n[COM]\r\nvaleur=7\r\n");
        row("last line without end", "[a]\r\nk=1", "COM", "[a]\r\nk=1\r\n[COM]\r\nvaleur=7\r\n");
    }

    void writingKeepsTheRestOfTheFile() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, after);
        writeFile(before);
        Profile profile(path());
        QVERIFY(profile.setValue(section, "valeur", "7"));
        QCOMPARE(fileContent(), after);
    }

    void aValueWithALineBreakIsRefusedAndChangesNothing() {
        const QByteArray before = "[COM]\r\nvaleur=COM3\r\n";
        writeFile(before);
        Profile profile(path());
        QString error;
        QVERIFY(!profile.setValue("temporisation", "valeur", "1\r\n[COM]\r\nvaleur=COM9", &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(fileContent(), before);
    }

    void anUnwritablePlaceIsReported() {
        Profile profile(m_dir.filePath("absent/param.ini"));
        QString error;
        QVERIFY(!profile.setValue("COM", "valeur", "COM3", &error));
        QVERIFY(error.contains("param.ini"));
    }

    void portsMapToDevices_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("expected");

#ifdef Q_OS_WIN
        QTest::newRow("unmapped COM2") << 2 << "COM2";
        QTest::newRow("unmapped COM12") << 12 << "COM12";
#else
        QTest::newRow("unmapped COM2") << 2 << "/dev/ttyS1";
        QTest::newRow("unmapped COM12") << 12 << "/dev/ttyS11";
#endif
        QTest::newRow("COM1 mapped") << 1 << "/dev/ttyUSB0";
        QTest::newRow("COM10 mapped, not taken for COM1") << 10 << "/dev/ttyACM1";
    }

    void portsMapToDevices() {
        QFETCH(int, number);
        QFETCH(QString, expected);
        writeFile("[COM]\r\nvaleur=COM1\r\n[Ports]\r\ncom1=/dev/ttyUSB0\r\nCOM10=/dev/ttyACM1\r\n");
        QCOMPARE(deviceForPort(number, Profile(path())), expected);
    }
};

QTEST_GUILESS_MAIN(ProfileTest)
#include "tst_profile.moc"
