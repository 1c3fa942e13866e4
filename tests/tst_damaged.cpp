// Damaged and hostile files through the real window, offscreen: settings files that are binary,
// huge, full of NULs, duplicated or in UTF-16; recordings of NULs, of one 50 MB line, with mixed
// line ends; and a full disk under every file the program writes.
#include "app/byteview.h"
#include "data/profile.h"
#include "data/recording.h"
#include "data/spreadsheet.h"
#include "rig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

const QString kRecordingName = QStringLiteral("transfert_05122026.txt");
const QByteArray kHeader = "Voie1;Voie2;Voie3\r\n";

// The bytes of a literal, embedded NULs included.
template <qsizetype N> QByteArray bytes(const char (&text)[N]) {
    return QByteArray(text, N - 1);
}

// A settings file as the writer gives it back: every line, split at LF with one CR at its end
// dropped, ended by CR LF.
QByteArray asRewritten(QByteArray content) {
    if (content.isEmpty()) return content;
    if (!content.endsWith('\n')) content += '\n';
    return content.replace("\r\n", "\n").replace("\n", "\r\n");
}

struct Damaged {
    QByteArray content;
    QString port, freeValue;
    bool ticked;
    int index;
    QByteArray rewritten; // after "Quitter" with the values shown unchanged
};

QByteArray randomBytes(qsizetype size) {
    QRandomGenerator generator(1993);
    QByteArray data(size, Qt::Uninitialized);
    for (char &c : data)
        c = char(generator.bounded(256));
    return data;
}

// The four sections "Quitter" adds at the end of a file that has none of them.
QByteArray appendedSections(const char *port) {
    return QByteArray("[COM]\r\nvaleur=") + port +
           "\r\n[temporisation]\r\nvaleur=\r\n[select]\r\nvaleur=0\r\n[index]\r\nvaleur=0\r\n";
}

// Limits the size of every file this process writes while it lives: as on a full disk, a write
// takes the bytes that still fit and refuses the rest.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN); // a refused write fails with EFBIG instead of a signal
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        m_ok = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }
    bool ok() const { return m_ok; }

private:
    rlimit m_saved{};
    bool m_ok = false;
};

} // namespace

Q_DECLARE_METATYPE(Damaged)

class DamagedTest : public QObject {
    Q_OBJECT
private slots:
    void damagedSettingsStartWithDefaultsAndQuitterKeepsWhatItCouldRead_data() {
        QTest::addColumn<Damaged>("d");
        const QByteArray binary = randomBytes(64 * 1024);
        QTest::newRow("random binary") << Damaged{
            binary, "COM12", "", false, 0, asRewritten(binary) + appendedSections("COM12")};

        const QByteArray longLine = "; " + QByteArray(1 << 20, 'x');
        QTest::newRow("a single 1 MB line") << Damaged{
            longLine, "COM12", "", false, 0, longLine + "\r\n" + appendedSections("COM12")};

        // A value ends at its first NUL; lines of NULs stay.
        const QByteArray nuls = bytes("\0\0\0\r\n[COM]\r\nvaleur=COM3\0COM4\r\n[temporisation]\r\n"
                                      "valeur=\0\0\r\n[select]\r\nvaleur=1\0x\r\n[Index]\r\n"
                                      "valeur=3\r\n\0[Index]\0\r\n");
        QTest::newRow("NUL bytes")
            << Damaged{nuls,
                       "COM3",
                       "",
                       true,
                       3,
                       bytes("\0\0\0\r\n[COM]\r\nvaleur=COM3\r\n[temporisation]\r\nvaleur=\r\n"
                             "[select]\r\nvaleur=1\r\n[Index]\r\nvaleur=3\r\n\0[Index]\0\r\n")};

        // The first section of a name counts; the others are kept as they were.
        const QByteArray twice = "[COM]\r\nvaleur=COM2\r\n[select]\r\nvaleur=1\r\n[com]\r\n"
                                 "valeur=COM5\r\n[Index]\r\n[INDEX]\r\nvaleur=4\r\n[select]\r\n"
                                 "valeur=0\r\n";
        QTest::newRow("duplicated sections")
            << Damaged{twice,
                       "COM2",
                       "",
                       true,
                       0,
                       "[COM]\r\nvaleur=COM2\r\n[select]\r\nvaleur=1\r\n[com]\r\nvaleur=COM5\r\n"
                       "[Index]\r\nvaleur=0\r\n[INDEX]\r\nvaleur=4\r\n[select]\r\nvaleur=0\r\n"
                       "[temporisation]\r\nvaleur=\r\n"};

        // UTF-16 is not the file's encoding: nothing in it reads as a section, so the defaults
        // hold, and its lines are kept as lines.
        const QString text = QStringLiteral("[COM]\r\nvaleur=COM3\r\n[select]\r\nvaleur=1\r\n");
        QByteArray utf16("\xFF\xFE");
        utf16.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
        QTest::newRow("UTF-16") << Damaged{
            utf16, "COM12", "", false, 0, asRewritten(utf16) + appendedSections("COM12")};
    }

    void damagedSettingsStartWithDefaultsAndQuitterKeepsWhatItCouldRead() {
        QFETCH(Damaged, d);
        WindowRig rig(kNoDevice, d.content);
        Form2 &w = *rig.window;
        QCOMPARE(ui(w).Combo1->currentText(), d.port);
        QCOMPARE(ui(w).libre->text(), d.freeValue);
        QCOMPARE(ui(w).Check1->isChecked(), d.ticked);
        QCOMPARE(ui(w).Combo3->currentIndex(), d.index);
        w.Command6_Click();
        const QByteArray written = readFile(rig.path(QStringLiteral("param.ini")));
        QCOMPARE(written.size(), d.rewritten.size());
        QVERIFY(written == d.rewritten);

        // What was written is read back the same.
        WindowRig again(kNoDevice, written);
        QCOMPARE(ui(*again.window).Combo1->currentText(), d.port);
        QCOMPARE(ui(*again.window).Check1->isChecked(), d.ticked);
        QCOMPARE(ui(*again.window).Combo3->currentIndex(), d.index);
    }

    void damagedRecordingsOpenAndConvertToTheirRightResult_data() {
        QTest::addColumn<QByteArray>("recording");
        QTest::addColumn<QByteArray>("shown");       // in Text1 after "Ouvrir"; null: refused, said
        QTest::addColumn<QByteArray>("spreadsheet"); // after "Conversion Fichier"

        const QByteArray nuls(100000, '\0');
        QTest::newRow("NUL bytes") << nuls << nuls + "\r\n" << kHeader;

        // One sample line of 50 MB without any line end: too long to show (it would freeze the
        // window), and no board line: its "." comes so far in that each field is an empty cell,
        // three to a row, without the line being held.
        const QByteArray fields = "0123 0456 0789 ";
        const qsizetype repeats = 50 * 1024 * 1024 / fields.size();
        const QByteArray line = fields.repeated(repeats) + " .";
        QTest::newRow("one 50 MB line")
            << line << QByteArray() << kHeader + QByteArray(";;;\r\n").repeated(repeats);

        // A lone LF is no line end, so the fields after it are not a sample line's; a CR alone
        // and CR LF are.
        const QByteArray mixed = "0001 0002 0003 .\r0004 0005 0006 .\n0007 0008 0009 .\r\n"
                                 "000A 000B .\n\r000C .\r\n\n";
        QTest::newRow("mixed CR, LF and CR LF")
            << mixed
            << QByteArray("0001 0002 0003 .\r\n0004 0005 0006 .\n0007 0008 0009 .\r\n000A 000B .\n"
                          "\r\n000C .\r\n\n\r\n")
            << kHeader + "1;2;3;\r\n4;5;6;\r\n10;11;12;";
    }

    void damagedRecordingsOpenAndConvertToTheirRightResult() {
        QFETCH(QByteArray, recording);
        QFETCH(QByteArray, shown);
        QFETCH(QByteArray, spreadsheet);
        WindowRig rig(kNoDevice);
        Form2 &w = *rig.window;
        const QString path = rig.path(kRecordingName);
        QVERIFY(writeFile(path, recording));

        rig.desktop.nextRecording = path;
        QTest::mouseClick(ui(w).Command4, Qt::LeftButton);
        QVERIFY(w.receive().receiveBuffer() == shown);
        QCOMPARE(rig.desktop.messages.size(), shown.isNull() ? 1 : 0);
        if (shown.isNull())
            QVERIFY(rig.desktop.messages.takeFirst().contains(kRecordingName + " » contient"));

        rig.desktop.nextRecording = path;
        QTest::mouseClick(ui(w).Command2, Qt::LeftButton);
        const QString output = rig.path(QStringLiteral("fichier_excel.csv"));
        QCOMPARE(rig.desktop.opened, QStringList{output});
        const QByteArray converted = readFile(output);
        QCOMPARE(converted.size(), spreadsheet.size());
        QVERIFY(converted == spreadsheet);
        QVERIFY2(rig.desktop.messages.isEmpty(), qPrintable(rig.desktop.messages.join('\n')));
    }

    // A full disk takes the first bytes of a write and refuses the rest. Every file the program
    // writes must then fail, say why, and leave the earlier file as it was, never a truncated file
    // in its place.
    void writesThatAFullDiskCutsShortFailAndKeepTheEarlierFile() {
        QTemporaryDir directory;
        const QString path = directory.filePath(QStringLiteral("fichier"));
        const QByteArray earlier = "[COM]\r\nvaleur=COM3\r\n";
        const QByteArray recording = QByteArray("0123 0456 0789 .\r\n").repeated(200);
        const QString source = directory.filePath(kRecordingName);
        QVERIFY(writeFile(source, recording));
        const auto attempt = [&](const std::function<bool(QString *)> &write) {
            QVERIFY(writeFile(path, earlier));
            QString error;
            bool written = true;
            {
                FileSizeLimit full(earlier.size() + 4);
                QVERIFY(full.ok());
                written = write(&error);
            }
            QVERIFY(!written);
            QVERIFY2(error.contains("trop grand"), qPrintable(error));
            QCOMPARE(readFile(path), earlier);
        };
        attempt([&](QString *error) { return writeRecording(path, recording, error); });
        attempt([&](QString *error) {
            return Profile(path).setValue("temporisation", "valeur", QByteArray(4096, '9'), error);
        });
        attempt([&](QString *error) {
            const ConversionReport report = convertRecordingFile(source, path);
            *error = report.error;
            return report.ok();
        });
    }
};

QTEST_MAIN(DamagedTest)
#include "tst_damaged.moc"
