// The five board operations on a fake board and a manual clock: what goes on the wire and when,
// time-outs, aborts, and where the received bytes end up.
#include "fakeboard.h"

#include "app/colours.h"
#include "board/operations.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {
const QByteArray kTrailer("\x01\x01\x01", 3);
const QString kEstablished = QStringLiteral("Connexion établie avec la platine");

// The passes after the chunk that carries a collection's end text: the board sends one more line
// during the last pass, which still belongs to the collection.
void endCollection(BoardRig &rig, const QByteArray &lastLine) {
    rig.advance(Dialogue::kProgressPause);
    rig.chunk(lastLine);
    rig.advance(Dialogue::kProgressPause);
}
} // namespace

class OperationsTest : public QObject {
    Q_OBJECT

private slots:
    void memoryResetSendsItsCommandOnlyOnceTheBoardNamedIt();
    void memoryResetAbortedDuringTheBannerWaitSendsAtOnceAndEnds();
    void operationsWithoutABannerEndSilentlyAtTheirTimeOut_data();
    void operationsWithoutABannerEndSilentlyAtTheirTimeOut();
    void liveReadingSendsTrAndReplacesTheReceiveAreaOnceConfirmed();
    void eepromReadoutSkipsTheBannerOnlyWhileTheLinkBlinks_data();
    void eepromReadoutSkipsTheBannerOnlyWhileTheLinkBlinks();
    void periodProgrammingSendsThePeriodAndShowsTheConfirmation();
    void memoryDownloadWritesTheReceivedBytesToTheDatedRecording();
    void memoryDownloadStoppedByTheUserKeepsWhatCameBefore();
};

void OperationsTest::memoryResetSendsItsCommandOnlyOnceTheBoardNamedIt() {
    BoardRig rig;
    auto reset = memoryReset(rig.dialogue);
    QCOMPARE(rig.board.calls, QStringList({"open", "dtr off"}));
    rig.chunk("RAZ"); // before the banner it names nothing
    rig.chunk("PIC 16F88");
    QCOMPARE(rig.indicators.linkText(), kEstablished);
    QCOMPARE(rig.indicators.linkColour(), colours::kRed);
    rig.chunk("Param");
    QVERIFY(rig.board.writes.isEmpty());

    rig.chunk("RAZ\r\n");
    QCOMPARE(rig.board.writes, QByteArrayList({"RAZ", kTrailer}));
    QCOMPARE(rig.indicators.status(), QString("RAZ Mémoire en cours ..."));
    // The erase lasts until the board says "RAZ" again.
    for (int pass = 0; pass < 4; ++pass)
        rig.advance(Dialogue::kProgressPause);
    QVERIFY(!reset.isReady());
    rig.chunk("RAZ");
    rig.advance(Dialogue::kProgressPause);
    QVERIFY(reset.isReady());
    QCOMPARE(rig.indicators.status(), QString("RAZ Effectué"));
    QCOMPARE(rig.indicators.elapsed(), QString("00:00:01"));
    QCOMPARE(rig.board.writes.size(), 2);
}

void OperationsTest::memoryResetAbortedDuringTheBannerWaitSendsAtOnceAndEnds() {
    BoardRig rig;
    auto reset = memoryReset(rig.dialogue);
    settle();
    rig.dialogue.setAbortFlag(1);
    settle();
    QCOMPARE(rig.indicators.linkText(), kEstablished);
    QCOMPARE(rig.board.writes, QByteArrayList({"RAZ", kTrailer}));
    rig.advance(Dialogue::kProgressPause); // one pass of the erase wait
    QVERIFY(reset.isReady());
    QCOMPARE(rig.indicators.status(), QString("RAZ Effectué"));
}

void OperationsTest::operationsWithoutABannerEndSilentlyAtTheirTimeOut_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("limitSeconds");
    QTest::newRow("memory reset") << "reset" << 15;
    QTest::newRow("real-time reading") << "live" << 20;
    QTest::newRow("internal EEPROM read-out") << "eeprom" << 20;
    QTest::newRow("period programming") << "period" << 20;
    QTest::newRow("memory download") << "download" << 20;
}

void OperationsTest::operationsWithoutABannerEndSilentlyAtTheirTimeOut() {
    QFETCH(QString, operation);
    QFETCH(int, limitSeconds);
    QTemporaryDir dir;
    BoardRig rig;
    QCoro::Task<> task = operation == "reset"    ? memoryReset(rig.dialogue)
                         : operation == "live"   ? liveReading(rig.dialogue)
                         : operation == "eeprom" ? eepromReadout(rig.dialogue)
                         : operation == "period"
                             ? periodProgramming(rig.dialogue, 600)
                             : memoryDownload(rig.dialogue, {QDir(dir.path()), QDate(2026, 12, 5)});
    rig.chunk("PIC 16F88\r\n"); // not the banner
    rig.advance(std::chrono::seconds(limitSeconds));
    QVERIFY(!task.isReady());
    rig.advance(1ms);
    QVERIFY(task.isReady());
    QVERIFY(!rig.dialogue.busy());
    QVERIFY(rig.board.writes.isEmpty());
    QCOMPARE(rig.indicators.linkText(), QString("..."));
    QCOMPARE(rig.indicators.status(), QString("..."));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

void OperationsTest::liveReadingSendsTrAndReplacesTheReceiveAreaOnceConfirmed() {
    BoardRig rig;
    rig.receive.ReplaceFlag = 1;
    auto live = liveReading(rig.dialogue);
    QCOMPARE(rig.receive.ReplaceFlag, 0);
    rig.chunk("PIC 16F88");
    // The confirmation also begins with the name: it lets the command go, and the confirmation
    // wait then needs a chunk of its own.
    rig.chunk("Temps reel actif");
    QCOMPARE(rig.board.writes, QByteArrayList({"TR", kTrailer}));
    QVERIFY(!live.isReady());
    QCOMPARE(rig.receive.ReplaceFlag, 0);
    rig.chunk("Temps reel actif\r\n");
    QVERIFY(live.isReady());
    QCOMPARE(rig.indicators.status(), QString("Temps reel actif"));
    QCOMPARE(rig.receive.ReplaceFlag, 1);
}

void OperationsTest::eepromReadoutSkipsTheBannerOnlyWhileTheLinkBlinks_data() {
    QTest::addColumn<bool>("blinking");
    QTest::newRow("link blinking") << true;
    QTest::newRow("link closed") << false;
}

void OperationsTest::eepromReadoutSkipsTheBannerOnlyWhileTheLinkBlinks() {
    QFETCH(bool, blinking);
    BoardRig rig;
    if (blinking) rig.indicators.timer3().start();
    rig.receive.ReplaceFlag = 1;
    rig.receive.AppendFlag = 1;
    auto readout = eepromReadout(rig.dialogue);
    QCOMPARE(rig.receive.ReplaceFlag, 0);
    QCOMPARE(rig.receive.AppendFlag, 0);
    if (!blinking) {
        rig.chunk("eeprom");
        QVERIFY(rig.board.writes.isEmpty());
        rig.chunk("PIC 16F88");
    }
    QCOMPARE(rig.indicators.linkText(), blinking ? QString("...") : kEstablished);
    rig.chunk("eeprom\r\n"); // compared over 9 characters: not the name
    QVERIFY(rig.board.writes.isEmpty());
    rig.chunk("eeprom");
    QCOMPARE(rig.board.writes, QByteArrayList({"eeprom", kTrailer}));
    QCOMPARE(rig.indicators.status(), QString("Transfert en cours..."));
    QVERIFY(rig.indicators.timer3().isActive());

    rig.chunk(allBytes());
    rig.advance(Dialogue::kProgressPause);
    rig.chunk("\r\neeprom\r\n");
    endCollection(rig, "PIC 16F88");
    QVERIFY(readout.isReady());
    QCOMPARE(rig.receive.AppendFlag, 0);
    QCOMPARE(rig.indicators.status(), QString("Transfert EEPROM Interne Effecué"));
    QCOMPARE(rig.receive.receiveBuffer(), allBytes() + "\r\neeprom\r\nPIC 16F88");
}

void OperationsTest::periodProgrammingSendsThePeriodAndShowsTheConfirmation() {
    BoardRig rig;
    auto programming = periodProgramming(rig.dialogue, 5400);
    rig.chunk("PIC 16F88");
    QVERIFY(rig.board.writes.isEmpty());
    rig.chunk("Param\r\n");
    QCOMPARE(rig.board.writes, QByteArrayList({"Param", QByteArray("\x18\x15\x01")}));
    QVERIFY(!programming.isReady());
    rig.chunk("Periode=5400\r\n");
    QVERIFY(programming.isReady());
    QCOMPARE(rig.receive.receiveBuffer(), QByteArray("Periode=5400\r\n"));
}

void OperationsTest::memoryDownloadWritesTheReceivedBytesToTheDatedRecording() {
    QTemporaryDir dir;
    const QString path = dir.filePath("transfert_05122026.txt");
    // Two earlier downloads of the day: the newer one moves to the first free number.
    QVERIFY(writeFile(path, "earlier\r\n"));
    QVERIFY(writeFile(dir.filePath("transfert_05122026-1.txt"), "earliest\r\n"));
    QStringList failures;
    DownloadTarget target{
        QDir(dir.path()), QDate(2026, 12, 5),
        [&](const QString &, const QByteArray &, const QString &reason) { failures << reason; }};
    BoardRig rig;
    rig.receive.ReplaceFlag = 1;
    auto download = memoryDownload(rig.dialogue, target);
    rig.chunk("PIC 16F88");
    rig.chunk("Transfert");
    QCOMPARE(rig.board.writes, QByteArrayList({"Transfert", kTrailer}));
    QCOMPARE(rig.indicators.status(), QString("Transfert en cours..."));
    QCOMPARE(rig.receive.AppendFlag, 1);
    QVERIFY(QFile::exists(path));

    const QByteArray first = allBytes() + "\r\n";
    const QByteArray last = "0123 0456 0789 .\r\nEffectue\r\n";
    rig.chunk(first);
    rig.advance(Dialogue::kProgressPause);
    rig.chunk(last);
    endCollection(rig, "PIC 16F88");
    QVERIFY(download.isReady());
    QCOMPARE(rig.indicators.status(), QString("Transfert Effecué"));
    QCOMPARE(rig.receive.AppendFlag, 0);
    QCOMPARE(readFile(path), first + last + "PIC 16F88\r\n");
    QCOMPARE(readFile(dir.filePath("transfert_05122026-1.txt")), QByteArray("earliest\r\n"));
    QCOMPARE(readFile(dir.filePath("transfert_05122026-2.txt")), QByteArray("earlier\r\n"));
    QCOMPARE(failures, QStringList());
}

void OperationsTest::memoryDownloadStoppedByTheUserKeepsWhatCameBefore() {
    QTemporaryDir dir;
    BoardRig rig;
    auto download = memoryDownload(rig.dialogue, {QDir(dir.path()), QDate(2027, 3, 1)});
    rig.chunk("PIC 16F88");
    rig.chunk("Transfert");
    rig.chunk("0123 0456 0789 .\r\n");
    rig.advance(Dialogue::kProgressPause);
    // A right press on the download button: nothing more is appended, and the wait ends.
    rig.receive.AppendFlag = 0;
    rig.dialogue.setAbortFlag(1);
    rig.chunk("0124 0457 078A .\r\n");
    rig.advance(Dialogue::kProgressPause);
    QVERIFY(download.isReady());
    QCOMPARE(rig.indicators.status(), QString("Transfert Effecué"));
    QCOMPARE(readFile(dir.filePath("transfert_01032027.txt")),
             QByteArray("0123 0456 0789 .\r\n\r\n"));
}

QTEST_GUILESS_MAIN(OperationsTest)
#include "tst_operations.moc"
