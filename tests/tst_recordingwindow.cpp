// The window's recording handlers, offscreen: Ouvrir, Conversion Fichier, handing the receive area
// to the desktop, the dump of the latest chunk, and a download whose recording cannot be written.
#include "app/byteview.h"
#include "app/colours.h"
#include "rig.h"
#include "simulator.h"

#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

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
    void ouvrirShowsEveryLineEndedAndChangesNothingWhenItCannot();
    void conversionWritesTheSpreadsheetOpensItAndNotesInvalidFields();
    void doubleClickingTheReceiveAreaHandsItsExactBytesToTheDesktop_data();
    void doubleClickingTheReceiveAreaHandsItsExactBytesToTheDesktop();
    void pressesOnTheLatestChunkLayItOutOnlyWhenRightAndNotCollecting_data();
    void pressesOnTheLatestChunkLayItOutOnlyWhenRightAndNotCollecting();
    void doubleClickingTheLatestChunkEmptiesIt();
    void aDownloadThatCannotBeWrittenAsksWhereToSaveIt_data();
    void aDownloadThatCannotBeWrittenAsksWhereToSaveIt();
};

void RecordingWindowTest::ouvrirShowsEveryLineEndedAndChangesNothingWhenItCannot() {
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
    QTest::mouseClick(w.Command4, Qt::LeftButton);
    const QByteArray shown = bytes("0123 0456 0789 .\r\nEffectue\r\n\r\nfin\n\0\xE9\xFF\r\n");
    QCOMPARE(w.receive().receiveBuffer(), shown);
    const QString caption = w.nom_fichier->text();
    QCOMPARE(caption,
             QString("transfert_05122026.txt - 05/12/2026 14:03:09 - %1 oct").arg(raw.size()));

    // Cancelled, a missing file, or a download collecting into the receive area.
    QTest::mouseClick(w.Command4, Qt::LeftButton);
    QVERIFY(rig.desktop.messages.isEmpty());
    rig.desktop.nextRecording = rig.path(QStringLiteral("transfert_01032027.txt"));
    QTest::mouseClick(w.Command4, Qt::LeftButton);
    QCOMPARE(rig.desktop.messages.size(), 1);
    QVERIFY2(rig.desktop.messages[0].startsWith(QStringLiteral("Ouvrir|")) &&
                 rig.desktop.messages[0].contains(QStringLiteral("transfert_01032027.txt")),
             qPrintable(rig.desktop.messages[0]));
    w.receive().AppendFlag = 1;
    rig.desktop.nextRecording = path;
    QTest::mouseClick(w.Command4, Qt::LeftButton);
    QCOMPARE(rig.desktop.messages.size(), 2);
    QCOMPARE(w.receive().receiveBuffer(), shown);
    QCOMPARE(w.nom_fichier->text(), caption);
    QVERIFY(rig.desktop.opened.isEmpty());

    // An empty recording shows nothing.
    w.receive().AppendFlag = 0;
    QVERIFY(writeFile(path, {}));
    rig.desktop.nextRecording = path;
    QTest::mouseClick(w.Command4, Qt::LeftButton);
    QCOMPARE(w.receive().receiveBuffer(), QByteArray());
}

void RecordingWindowTest::conversionWritesTheSpreadsheetOpensItAndNotesInvalidFields() {
    WindowRig rig(kNoDevice, {}, kFrench);
    Form2 &w = *rig.window;
    const QString output = rig.path(QStringLiteral("fichier_excel.csv"));
    const QByteArray former(4096, 'x'); // the previous conversion's, longer
    QVERIFY(writeFile(output, former));

    // Cancelled: the button stays light cyan until a later conversion ends.
    QTest::mouseClick(w.Command2, Qt::LeftButton);
    QCOMPARE(backColour(w.Command2), colours::kLightCyan);
    QCOMPARE(w.nom_fichier->text(), QStringLiteral("..."));
    // A recording that can't be read: said, and the former spreadsheet stays.
    rig.desktop.nextRecording = rig.path(kRecordingName);
    QTest::mouseClick(w.Command2, Qt::LeftButton);
    QCOMPARE(rig.desktop.messages.size(), 1);
    QVERIFY2(rig.desktop.messages[0].startsWith(QStringLiteral("Conversion Fichier|")) &&
                 rig.desktop.messages[0].contains(kRecordingName),
             qPrintable(rig.desktop.messages[0]));
    QCOMPARE(backColour(w.Command2), colours::kButtonFace);
    QCOMPARE(readFile(output), former);
    QVERIFY(rig.desktop.opened.isEmpty());

    // Invalid fields are left empty and noted; a later clean conversion clears the note.
    QVERIFY(writeFile(rig.path(kRecordingName),
                      "Debut\r\n0123 0456 0789 .\r\n0001 0G02 0003 .\r\n0004 zzzz 0006 .\r\n"));
    rig.desktop.nextRecording = rig.path(kRecordingName);
    QTest::mouseClick(w.Command2, Qt::LeftButton);
    QCOMPARE(readFile(output), "Voie1;Voie2;Voie3\r\n291;1110;1929;\r\n1;;3;\r\n4;;6;\r\n");
    QCOMPARE(w.nom_fichier->text(), kRecordingName);
    QCOMPARE(rig.desktop.opened, QStringList{output});
    QVERIFY2(w.Label1->text().contains(QStringLiteral("2 champ")) &&
                 w.Label1->text().contains(QStringLiteral("ligne 3")),
             qPrintable(w.Label1->text()));
    QVERIFY(writeFile(rig.path(kRecordingName), "0123 0456 0789 .\r\n"));
    rig.desktop.nextRecording = rig.path(kRecordingName);
    QTest::mouseClick(w.Command2, Qt::LeftButton);
    QCOMPARE(readFile(output), "Voie1;Voie2;Voie3\r\n291;1110;1929;\r\n");
    QCOMPARE(w.Label1->text(), QStringLiteral("..."));
    QCOMPARE(rig.desktop.messages.size(), 1);
}

void RecordingWindowTest::doubleClickingTheReceiveAreaHandsItsExactBytesToTheDesktop_data() {
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("every byte value") << allBytes() + "\r\n0123 0456 0789 .\r\n" + allBytes();
    QTest::newRow("empty") << QByteArray();
}

void RecordingWindowTest::doubleClickingTheReceiveAreaHandsItsExactBytesToTheDesktop() {
    QFETCH(QByteArray, shown);
    WindowRig rig(kNoDevice);
    const QString temp = rig.path(QStringLiteral("temp.txt"));
    QVERIFY(writeFile(temp, QByteArray(4096, 'x'))); // the previous double-click's, longer
    rig.window->receive().setReceiveBuffer(shown);
    QTest::mouseDClick(rig.window->Text1->viewport(), Qt::LeftButton);
    QCOMPARE(readFile(temp), shown + "\r\n");
    QCOMPARE(rig.desktop.opened, QStringList{temp});
    QCOMPARE(rig.window->receive().receiveBuffer(), shown);
}

void RecordingWindowTest::pressesOnTheLatestChunkLayItOutOnlyWhenRightAndNotCollecting_data() {
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("appendFlag");
    QTest::addColumn<int>("replaceFlag");
    QTest::addColumn<bool>("laidOut");
    QTest::newRow("right") << Qt::RightButton << 0 << 0 << true;
    QTest::newRow("left") << Qt::LeftButton << 0 << 0 << false;
    QTest::newRow("middle") << Qt::MiddleButton << 0 << 0 << false;
    QTest::newRow("right while collecting") << Qt::RightButton << 1 << 0 << false;
    QTest::newRow("right while live, copied to the receive area")
        << Qt::RightButton << 0 << 1 << true;
}

void RecordingWindowTest::pressesOnTheLatestChunkLayItOutOnlyWhenRightAndNotCollecting() {
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, appendFlag);
    QFETCH(int, replaceFlag);
    QFETCH(bool, laidOut);
    WindowRig rig(kNoDevice);
    Form2 &w = *rig.window;
    w.receive().setReceiveBuffer("collecte\r\n");
    w.receive().setLatestChunk("AB12CD.EF");
    w.receive().AppendFlag = qint16(appendFlag);
    w.receive().ReplaceFlag = qint16(replaceFlag);
    QTest::mousePress(w.Text2->viewport(), button);
    const QByteArray dump = "AB 12 CD \r\nEF \r\n";
    QCOMPARE(w.receive().latestChunk(), laidOut ? dump : QByteArray("AB12CD.EF"));
    QCOMPARE(w.receive().receiveBuffer(), replaceFlag ? dump : QByteArray("collecte\r\n"));
}

void RecordingWindowTest::doubleClickingTheLatestChunkEmptiesIt() {
    WindowRig rig(kNoDevice);
    Form2 &w = *rig.window;
    w.receive().setReceiveBuffer("collecte\r\n");
    w.receive().setLatestChunk("0123 0456 0789 .\r\n");
    QTest::mouseDClick(w.Text2->viewport(), Qt::LeftButton);
    QCOMPARE(w.receive().latestChunk(), QByteArray());
    QCOMPARE(w.Text2->toPlainText(), QString());
    QCOMPARE(w.receive().receiveBuffer(), QByteArray("collecte\r\n"));
}

void RecordingWindowTest::aDownloadThatCannotBeWrittenAsksWhereToSaveIt_data() {
    QTest::addColumn<QString>("answer"); // relative to a writable directory; empty: cancelled
    QTest::addColumn<int>("questions");
    QTest::newRow("saved elsewhere") << QStringLiteral("ailleurs.txt") << 1;
    QTest::newRow("cancelled") << QString() << 1;
    QTest::newRow("elsewhere unwritable too, then cancelled")
        << QStringLiteral("absent/ailleurs.txt") << 2;
}

void RecordingWindowTest::aDownloadThatCannotBeWrittenAsksWhereToSaveIt() {
    QFETCH(QString, answer);
    QFETCH(int, questions);
    Simulator board(kQuickBoard);
    QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
    QTemporaryDir elsewhere;
    const QString missing = elsewhere.filePath(QStringLiteral("programme-absent"));
    WindowRig rig(board.devicePath(), {}, kFrench, missing);
    Form2 &w = *rig.window;
    const QString chosen = answer.isEmpty() ? QString() : elsewhere.filePath(answer);
    rig.desktop.nextSaveLocation = chosen;

    QTest::mouseClick(w.Command3, Qt::LeftButton);
    QVERIFY(w.dialogue().busy());
    QTRY_VERIFY_WITH_TIMEOUT(!w.dialogue().busy(), Simulator::kPatienceMs);
    QCOMPARE(rig.desktop.saveQuestions, questions);

    // Asked only once the collection was over, with the dated recording first proposed.
    const QByteArray collected = w.receive().receiveBuffer();
    QVERIFY(collected.contains("Effectue"));
    QVERIFY2(
        rig.desktop.lastSaveReason.contains(QFileInfo(rig.desktop.lastSaveSuggestion).fileName()),
        qPrintable(rig.desktop.lastSaveReason));
    QCOMPARE(rig.desktop.lastSaveSuggestion,
             questions == 1 ? QDir(missing).filePath(kRecordingName) : chosen);
    QVERIFY(!QFileInfo::exists(missing));

    const QString status = w.Label1->text();
    if (questions == 1 && !chosen.isEmpty()) {
        QCOMPARE(readFile(chosen), collected + "\r\n");
        QVERIFY2(status.startsWith(QStringLiteral("Transfert Effecué")) &&
                     status.contains(QStringLiteral("ailleurs.txt")),
                 qPrintable(status));
    } else {
        QVERIFY2(status.contains(QStringLiteral("non enregistré")), qPrintable(status));
        QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files), QStringList());
        QCOMPARE(w.receive().receiveBuffer(), collected);
    }
}

QTEST_MAIN(RecordingWindowTest)
#include "tst_recordingwindow.moc"
