// The window's recording handlers, offscreen: Ouvrir, Conversion Fichier, handing the receive area
// to the desktop, the dump of the latest chunk, and a download whose recording cannot be written.
#include "app/byteview.h"
#include "link/colours.h"
#include "rig.h"
#include "simulator.h"

#include <QAccessible>
#include <QClipboard>
#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <unistd.h>

namespace {
const QLocale kFrench(QLocale::French, QLocale::France);
const QString kRecordingName = QStringLiteral("transfert_05122026.txt");

// The bytes of a literal, embedded NULs included.
template <qsizetype N> QByteArray bytes(const char (&text)[N]) {
    return QByteArray(text, N - 1);
}
} // namespace

class RecordingWindowTest : public QObject {
    Q_OBJECT
private slots:
    void ouvrirShowsEveryLineEndedAndChangesNothingWhenItCannot() {
        WindowRig rig(kNoDevice, {}, kFrench);
        Form2 &w = *rig.window;
        // A lone CR, CR CR LF, a lone LF, bytes beyond ASCII and a last line without its end.
        const QByteArray raw = bytes("0123 0456 0789 .\rEffectue\r\r\nfin\n\0\xE9\xFF");
        const QString path = rig.path(kRecordingName);
        QVERIFY(writeFile(path, raw));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime(QDate(2026, 12, 5), QTime(14, 3, 9)),
                                 QFileDevice::FileModificationTime));
        file.close();
        rig.desktop.nextRecording = path;
        QTest::mouseClick(ui(w).Command4, Qt::LeftButton);
        const QByteArray shown = bytes("0123 0456 0789 .\r\nEffectue\r\n\r\nfin\n\0\xE9\xFF\r\n");
        QCOMPARE(w.receive().receiveBuffer(), shown);
        ui(w).Text1->selectAll(); // shown one character a byte, copied as the bytes themselves
        ui(w).Text1->copy();
        QCOMPARE(QGuiApplication::clipboard()->text().toLatin1(), shown);
        QCOMPARE(ui(w).nom_fichier->text(),
                 "transfert_05122026.txt - 05/12/2026 14:03:09 - 35 oct");
        // Read aloud as the lines it shows: real line ends, no invisible marks.
        QAccessibleInterface *readable = QAccessible::queryAccessibleInterface(ui(w).Text1);
        QVERIFY(readable && readable->textInterface());
        QString lines = QString::fromLatin1(shown);
        lines.replace(QChar(0), QChar(0x2400)); // NUL shows as its control picture
        QCOMPARE(readable->textInterface()->text(0, readable->textInterface()->characterCount()),
                 lines);
        QCOMPARE(readable->text(QAccessible::Value), lines);
        // ... and heard as a read-only multi-line text area.
        const QAccessible::State state = readable->state();
        QVERIFY(state.multiLine && state.readOnly && state.focusable && state.selectableText);
        QVERIFY(!state.editable);

        // Cancelled, a missing file, a download collecting into the receive area: nothing changes.
        QTest::mouseClick(ui(w).Command4, Qt::LeftButton);
        QVERIFY(rig.desktop.messages.isEmpty());
        rig.desktop.nextRecording = rig.path(QStringLiteral("transfert_01032027.txt"));
        QTest::mouseClick(ui(w).Command4, Qt::LeftButton);
        QCOMPARE(rig.desktop.messages.size(), 1);
        QVERIFY(rig.desktop.messages[0].startsWith("Ouvrir|") &&
                rig.desktop.messages[0].contains("transfert_01032027.txt"));
        w.receive().AppendFlag = true;
        rig.desktop.nextRecording = path;
        QTest::mouseClick(ui(w).Command4, Qt::LeftButton);
        QCOMPARE(rig.desktop.messages.size(), 2);
        QCOMPARE(w.receive().receiveBuffer(), shown);
        // Nor while real-time reading would replace it with the next chunk.
        w.receive().AppendFlag = false;
        w.receive().ReplaceFlag = true;
        w.receive().setReceiveBuffer("en direct");
        rig.desktop.nextRecording = path;
        QTest::mouseClick(ui(w).Command4, Qt::LeftButton);
        QCOMPARE(rig.desktop.messages.size(), 3);
        QVERIFY(rig.desktop.messages[2].contains("temps réel"));
        QCOMPARE(w.receive().receiveBuffer(), QByteArray("en direct"));
    }

    void writeFailuresNameTheirRealReason() {
        WindowRig rig(kNoDevice);
        const QString temp = rig.path(QStringLiteral("temp.txt"));
        rig.window->receive().setReceiveBuffer(QByteArray(64 * 1024, 'x'));
        // A full disk: the system's reason, not a guess.
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), temp));
        QTest::mouseDClick(ui(*rig.window).Text1->viewport(), Qt::LeftButton);
        QCOMPARE(rig.desktop.messages.size(), 1);
        QVERIFY2(rig.desktop.messages[0].contains("disque plein"),
                 qPrintable(rig.desktop.messages[0]));
        QVERIFY(rig.desktop.opened.isEmpty());
        QVERIFY(QFile::remove(temp));

        // A file nobody may write (the superuser may write anything, so only others can see it).
        if (geteuid() == 0) QSKIP("a read-only file is writable for the superuser");
        QVERIFY(writeFile(temp, "ancien\r\n"));
        QVERIFY(QFile::setPermissions(temp, QFileDevice::ReadOwner));
        QTest::mouseDClick(ui(*rig.window).Text1->viewport(), Qt::LeftButton);
        QCOMPARE(rig.desktop.messages.size(), 2);
        QVERIFY2(rig.desktop.messages[1].contains("lecture seule"),
                 qPrintable(rig.desktop.messages[1]));
        QCOMPARE(readFile(temp), "ancien\r\n");
    }

    void conversionWritesTheSpreadsheetOpensItAndNotesInvalidFieldsAndDamage() {
        WindowRig rig(kNoDevice, {}, kFrench);
        Form2 &w = *rig.window;
        const QString output = rig.path(QStringLiteral("fichier_excel.csv"));
        const QByteArray former(4096, 'x'); // the previous conversion's, longer
        QVERIFY(writeFile(output, former));
        const auto convert = [&](const QByteArray &recording) {
            if (!recording.isNull()) writeFile(rig.path(kRecordingName), recording);
            rig.desktop.nextRecording = rig.path(kRecordingName);
            QTest::mouseClick(ui(w).Command2, Qt::LeftButton);
        };
        // A recording that can't be read: said, and the former spreadsheet stays.
        convert({});
        QCOMPARE(rig.desktop.messages.size(), 1);
        QVERIFY(rig.desktop.messages[0].startsWith("Conversion Fichier|") &&
                rig.desktop.messages[0].contains(kRecordingName));
        QCOMPARE(backColour(ui(w).Command2), colours::kButtonFace);
        QCOMPARE(readFile(output), former);
        QVERIFY(rig.desktop.opened.isEmpty());

        // Invalid fields are left empty and noted; a later clean conversion clears the note.
        convert("Debut\r\n0123 0456 0789 .\r\n0001 0G02 0003 .\r\n0004 zzzz 0006 .\r\n");
        QCOMPARE(readFile(output), "Voie1;Voie2;Voie3\r\n291;1110;1929;\r\n1;;3;\r\n4;;6;\r\n");
        QCOMPARE(ui(w).nom_fichier->text(), kRecordingName);
        QCOMPARE(rig.desktop.opened, QStringList{output});
        QVERIFY2(ui(w).Label1->text().contains("2 champ") &&
                     ui(w).Label1->text().contains("ligne 3"),
                 qPrintable(ui(w).Label1->text()));
        // Line ends changed by another tool: opened and converted as read, and said both times.
        QVERIFY(writeFile(rig.path(kRecordingName), "0123 0456 0789 .\n0001 0002 0003 .\n"));
        rig.desktop.nextRecording = rig.path(kRecordingName);
        QTest::mouseClick(ui(w).Command4, Qt::LeftButton);
        QVERIFY2(ui(w).Label1->text().startsWith("Ouvrir : « " + kRecordingName +
                                                 " » : ses lignes finissent par LF sans CR"),
                 qPrintable(ui(w).Label1->text()));
        convert({});
        QCOMPARE(readFile(output), "Voie1;Voie2;Voie3\r\n291;1110;1929;\r\n");
        QVERIFY2(ui(w).Label1->text().contains(". « " + kRecordingName +
                                               " » : ses lignes finissent par LF sans CR"),
                 qPrintable(ui(w).Label1->text()));
        // A clean one says where the spreadsheet is, and when no program opens it, says that too.
        rig.desktop.hasPrograms = false;
        convert("0123 0456 0789 .\r\n");
        QCOMPARE(readFile(output), "Voie1;Voie2;Voie3\r\n291;1110;1929;\r\n");
        QCOMPARE(ui(w).Label1->text(),
                 "Conversion : fichier_excel.csv enregistré dans " + output +
                     ". Aucun tableur n'a été trouvé pour l'ouvrir : ouvrez-le avec votre tableur "
                     "(séparateur « ; »).");
        QCOMPARE(rig.desktop.messages.size(), 1);
    }

    void doubleClickingTheReceiveAreaHandsItsExactBytesToTheDesktop() {
        WindowRig rig(kNoDevice);
        const QString temp = rig.path(QStringLiteral("temp.txt"));
        QVERIFY(writeFile(temp, QByteArray(4096, 'x'))); // the previous double-click's, longer
        for (const QByteArray &shown : {allBytes() + "\r\n0123 .\r\n" + allBytes(), QByteArray()}) {
            rig.window->receive().setReceiveBuffer(shown);
            QTest::mouseDClick(ui(*rig.window).Text1->viewport(), Qt::LeftButton);
            QCOMPARE(readFile(temp), shown + "\r\n");
            QCOMPARE(rig.window->receive().receiveBuffer(), shown);
        }
        QCOMPARE(rig.desktop.opened, QStringList({temp, temp}));
    }

    void aRightPressLaysTheLatestChunkOutUnlessItIsBeingCollected() {
        WindowRig rig(kNoDevice);
        ReceivePath &receive = rig.window->receive();
        QWidget *text2 = ui(*rig.window).Text2->viewport();
        const QByteArray chunk = "AB12CD.EF", dump = "AB 12 CD \r\nEF \r\n";
        receive.setReceiveBuffer("collecte\r\n");
        receive.setLatestChunk(chunk);
        QTest::mousePress(text2, Qt::LeftButton);
        QTest::mousePress(text2, Qt::MiddleButton);
        receive.AppendFlag = true;
        QTest::mousePress(text2, Qt::RightButton);
        QCOMPARE(receive.latestChunk(), chunk);
        QCOMPARE(receive.receiveBuffer(), QByteArray("collecte\r\n"));
        receive.AppendFlag = false;
        receive.ReplaceFlag = true; // while live, the dump reaches the receive area too
        QTest::mousePress(text2, Qt::RightButton);
        QCOMPARE(receive.latestChunk(), dump);
        QCOMPARE(receive.receiveBuffer(), dump);
    }

    void aDownloadThatCannotBeWrittenAsksWhereToSaveIt_data() {
        QTest::addColumn<QString>("answer"); // in a writable directory; the next answer cancels
        QTest::addColumn<int>("questions");
        QTest::newRow("saved elsewhere") << QStringLiteral("ailleurs.txt") << 1;
        QTest::newRow("elsewhere unwritable too, then cancelled") << QString("absent/a.txt") << 2;
    }

    void aDownloadThatCannotBeWrittenAsksWhereToSaveIt() {
        QFETCH(QString, answer);
        QFETCH(int, questions);
        Simulator board(kQuickBoard);
        QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
        QTemporaryDir elsewhere;
        const QString missing = elsewhere.filePath(QStringLiteral("programme-absent"));
        WindowRig rig(board.devicePath(), {}, kFrench, missing);
        Form2 &w = *rig.window;
        const QString chosen = elsewhere.filePath(answer);
        rig.desktop.nextSaveLocation = chosen;
        QTest::mouseClick(ui(w).Command3, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.dialogue().busy(), Simulator::kPatienceMs);
        QCOMPARE(rig.desktop.saveQuestions, questions);

        // Asked only once the collection was over, with the dated recording first proposed.
        const QByteArray collected = w.receive().receiveBuffer();
        QVERIFY(collected.contains("Effectue"));
        const QString suggested = rig.desktop.lastSaveSuggestion;
        QVERIFY(rig.desktop.lastSaveReason.contains(QFileInfo(suggested).fileName()));
        QCOMPARE(suggested, questions == 1 ? QDir(missing).filePath(kRecordingName) : chosen);
        QVERIFY(!QFileInfo::exists(missing));
        const QString status = ui(w).Label1->text();
        if (questions == 1) {
            QCOMPARE(readFile(chosen), collected + "\r\n");
            QVERIFY(status.startsWith("Transfert Effecué") && status.contains("ailleurs.txt"));
        } else {
            QVERIFY2(status.contains("non enregistré"), qPrintable(status));
            QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files), QStringList());
            QCOMPARE(w.receive().receiveBuffer(), collected);
        }
    }
};

QTEST_MAIN(RecordingWindowTest)
#include "tst_recordingwindow.moc"
