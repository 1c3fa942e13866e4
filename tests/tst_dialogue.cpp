// The board dialogue's three waits and its progress step, and the five board operations built on
// them: what goes on the wire and when, time-outs, aborts, and where the received bytes end up.
// All on a fake board and a manual clock.
#include "fakeboard.h"

#include "app/colours.h"
#include "board/operations.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

using WaitEnd = Dialogue::WaitEnd;
using Outcome = std::optional<WaitEnd>;

namespace {

const char *describe(const Outcome &end) {
    if (!end) return "waiting";
    return *end == WaitEnd::Seen ? "Seen" : *end == WaitEnd::Aborted ? "Aborted" : "TimedOut";
}

// Ends a wait that is still going on, so that nothing of it outlives the test.
void finish(BoardRig &rig, const Outcome &end) {
    rig.dialogue.setAbortFlag(1);
    for (int pass = 0; pass < 3 && !end; ++pass)
        rig.advance(Dialogue::kProgressPause);
}

const QByteArray kTrailer("\x01\x01\x01");
const QString kEstablished = QStringLiteral("Connexion établie avec la platine");

// The passes after the chunk that carries a collection's end text: the board sends one more line
// during the last pass, which still belongs to the collection.
void endCollection(BoardRig &rig) {
    rig.advance(Dialogue::kProgressPause);
    rig.chunk("PIC 16F88");
    rig.advance(Dialogue::kProgressPause);
}

} // namespace

class DialogueTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithWaitsTestTheChunkAlreadyThereBeforeTheirFirstYield_data() {
        QTest::addColumn<QByteArray>("chunk");
        QTest::addColumn<bool>("seen"); // awaited: "RAZ", compared over 3 characters
        QTest::newRow("name followed by more") << QByteArray("RAZ 0%") << true;
        QTest::newRow("name in other case") << QByteArray("Raz") << false;
        QTest::newRow("name cut short") << QByteArray("RA") << false;
        QTest::newRow("name after other text") << QByteArray("\r\nRAZ") << false;
    }

    void startsWithWaitsTestTheChunkAlreadyThereBeforeTheirFirstYield() {
        QFETCH(QByteArray, chunk);
        QFETCH(bool, seen);
        // No event needs to run for either form to end.
        BoardRig rig;
        rig.receive.setLatestChunk(chunk);
        Outcome a, b;
        auto withTimeOut = keepOutcome(rig.dialogue.WaitForReply("RAZ", 3, 20s), &a);
        auto withProgress = keepOutcome(rig.dialogue.WaitWithProgress("RAZ", 3), &b);
        QCOMPARE(describe(a), seen ? "Seen" : "waiting");
        QCOMPARE(describe(b), seen ? "Seen" : "waiting");
        QCOMPARE(rig.indicators.spinner(), QString("/"));
        finish(rig, a);
        finish(rig, b);
    }

    void waitTimesOutOnlyPastItsLimitEvenWhenTheNameAndAnAbortComeWithIt() {
        BoardRig rig;
        rig.board.open();
        Outcome end;
        auto task = keepOutcome(rig.dialogue.WaitForReply("RAZ", 3, 15s), &end);
        rig.advance(15s);
        rig.chunk("PIC 16F88"); // a pass that runs exactly at the limit is not past it
        QCOMPARE(describe(end), "waiting");
        // The name and an abort come in the same yield as the end of the limit: after a yield the
        // time-out is tested first, the abort next, the name only at the next pass.
        rig.dialogue.setAbortFlag(1);
        rig.board.deliver("RAZ");
        rig.receive.Timer2_Timer();
        rig.advance(1ms);
        QCOMPARE(describe(end), "TimedOut");
    }

    void abortEndsTheRunningWaitAndEveryLaterWaitAfterOnePass() {
        BoardRig rig;
        rig.dialogue.PrepareOperation(Dialogue::ClearFlags::None);
        Outcome a, b, c, b2;
        // During a wait with progress: the progress step under way still ends its pause first.
        auto progress = keepOutcome(rig.dialogue.WaitWithProgress("RAZ", 3), &b);
        settle();
        rig.dialogue.setAbortFlag(1);
        settle();
        QCOMPARE(describe(b), "waiting");
        rig.advance(Dialogue::kProgressPause);
        QCOMPARE(describe(b), "Aborted");
        QCOMPARE(rig.indicators.spinner(), QString("--"));

        // Every later wait makes a single pass: the starts-with wait with a time-out and the
        // collection end at once, the latter before its progress step; the wait with progress
        // ends after its step.
        auto timeOut = keepOutcome(rig.dialogue.WaitForReply("RAZ", 3, 20s), &a);
        settle();
        QCOMPARE(describe(a), "Aborted");
        auto collection = keepOutcome(rig.dialogue.CollectUntil("Effectue"), &c);
        settle();
        QCOMPARE(describe(c), "Aborted");
        QCOMPARE(rig.indicators.spinner(), QString("--"));
        auto progressAgain = keepOutcome(rig.dialogue.WaitWithProgress("RAZ", 3), &b2);
        settle();
        rig.advance(Dialogue::kProgressPause - 1ms);
        QCOMPARE(describe(b2), "waiting");
        rig.advance(1ms);
        QCOMPARE(describe(b2), "Aborted");
    }

    void collectionFindsItsEndTextInAChunkOrAcrossNeighbours_data() {
        QTest::addColumn<QByteArrayList>("chunks");
        QTest::addColumn<bool>("onePass"); // all chunks come during one pass
        QTest::addColumn<bool>("found");
        const QByteArray sample = "0123 0456 0789 .\r\n";
        const auto row = [](const char *name, const QByteArrayList &chunks, bool onePass,
                            bool found) { QTest::newRow(name) << chunks << onePass << found; };
        row("within a chunk", {sample + "Effectue\r\n"}, false, true);
        row("split in two", {sample + "Eff", "ectue\r\n"}, false, true);
        row("split in two, one pass", {sample + "Eff", "ectue\r\n"}, true, true);
        row("followed by a chunk in the same pass", {sample + "Effectue", "\r\n"}, true, true);
        row("split in three", {sample + "E", "ffec", "tue\r\n"}, false, true);
        row("never completed", {sample + "Effectu"}, false, false);
    }

    void collectionFindsItsEndTextInAChunkOrAcrossNeighbours() {
        QFETCH(QByteArrayList, chunks);
        QFETCH(bool, onePass);
        QFETCH(bool, found);
        BoardRig rig;
        rig.dialogue.PrepareOperation(Dialogue::ClearFlags::Both);
        rig.receive.AppendFlag = 1;
        Outcome end;
        auto task = keepOutcome(rig.dialogue.CollectUntil("Effectue"), &end);
        for (const QByteArray &chunk : chunks) {
            rig.chunk(chunk);
            if (!onePass) rig.advance(Dialogue::kProgressPause);
        }
        if (onePass) rig.advance(Dialogue::kProgressPause);
        QCOMPARE(describe(end), "waiting");

        // The board goes on with another burst; the pass that saw the end text ends the wait.
        rig.chunk("PIC 16F88");
        rig.advance(Dialogue::kProgressPause);
        QCOMPARE(describe(end), found ? "Seen" : "waiting");
        QCOMPARE(rig.receive.receiveBuffer(), chunks.join() + "PIC 16F88");
        finish(rig, end);
    }

    void collectionEndsWhenTheBoardFallsSilentAfterTheEndText() {
        BoardRig rig;
        rig.dialogue.PrepareOperation(Dialogue::ClearFlags::Both);
        Outcome end;
        auto task = keepOutcome(rig.dialogue.CollectUntil("Effectue"), &end);
        rig.chunk("0123 0456 0789 .\r\nEffectue\r\n");
        for (int pass = 0; pass < 4; ++pass)
            rig.advance(Dialogue::kProgressPause);
        QCOMPARE(describe(end), "Seen");
    }

    void progressStepPausesThenTurnsTheSpinnerAndShowsTheElapsedTime() {
        BoardRig rig;
        rig.board.open();
        rig.dialogue.markOperationStart();
        rig.advance(65s - 3 * Dialogue::kProgressPause);
        for (const char *turned : {"--", "\\", "/"}) {
            auto step = rig.dialogue.anime_();
            settle();
            // Neither a chunk nor the abort flag shortens the pause.
            rig.chunk("RAZ");
            rig.dialogue.setAbortFlag(1);
            rig.advance(Dialogue::kProgressPause - 1ms);
            QVERIFY(!step.isReady());
            rig.advance(1ms);
            QVERIFY(step.isReady());
            QCOMPARE(rig.indicators.spinner(), QString(turned));
        }
        QCOMPARE(rig.indicators.elapsed(), QString("00:01:05"));
        rig.indicators.setSpinner("-"); // any other caption stays
        auto step = rig.dialogue.anime_();
        rig.advance(Dialogue::kProgressPause);
        QCOMPARE(rig.indicators.spinner(), QString("-"));
    }

    void memoryResetSendsItsCommandOnlyOnceTheBoardNamedIt() {
        BoardRig rig;
        auto reset = memoryReset(rig.dialogue);
        QCOMPARE(rig.board.calls, QStringList({"open", "dtr off"}));
        rig.chunk("RAZ"); // before the banner it names nothing
        rig.chunk("PIC 16F88");
        QCOMPARE(rig.indicators.linkText(), kEstablished);
        QCOMPARE(rig.indicators.linkColour(), colours::kRed);
        QVERIFY(rig.board.writes.isEmpty());
        rig.chunk("RAZ\r\n");
        QCOMPARE(rig.board.writes, QByteArrayList({"RAZ", kTrailer}));
        QCOMPARE(rig.indicators.status(), QString("RAZ Mémoire en cours ..."));

        // The erase lasts until the board says "RAZ" again; the silent passes still show progress.
        for (int pass = 0; pass < 4; ++pass)
            rig.advance(Dialogue::kProgressPause);
        QVERIFY(!reset.isReady());
        QCOMPARE(rig.indicators.spinner(), QString("--"));
        QCOMPARE(rig.indicators.elapsed(), QString("00:00:01"));
        rig.chunk("RAZ");
        rig.advance(Dialogue::kProgressPause);
        QVERIFY(reset.isReady());
        QCOMPARE(rig.indicators.status(), QString("RAZ Effectué"));
    }

    void operationsWithoutABannerEndSilentlyAtTheirTimeOut_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("limitSeconds");
        QTest::newRow("memory reset") << "reset" << 15;
        QTest::newRow("real-time reading") << "live" << 20;
        QTest::newRow("internal EEPROM read-out") << "eeprom" << 20;
        QTest::newRow("period programming") << "period" << 20;
        QTest::newRow("memory download") << "download" << 20;
    }

    void operationsWithoutABannerEndSilentlyAtTheirTimeOut() {
        QFETCH(QString, operation);
        QFETCH(int, limitSeconds);
        QTemporaryDir dir;
        BoardRig rig;
        Dialogue &d = rig.dialogue;
        QCoro::Task<> task = operation == "reset"    ? memoryReset(d)
                             : operation == "live"   ? liveReading(d)
                             : operation == "eeprom" ? eepromReadout(d)
                             : operation == "period"
                                 ? periodProgramming(d, 600)
                                 : memoryDownload(d, {QDir(dir.path()), QDate(2026, 12, 5), {}});
        rig.chunk("PIC 16F88\r\n"); // not the banner
        rig.advance(std::chrono::seconds(limitSeconds));
        QVERIFY(!task.isReady());
        rig.advance(1ms);
        QVERIFY(task.isReady());
        QVERIFY(!d.busy());
        QVERIFY(rig.board.writes.isEmpty());
        QCOMPARE(rig.indicators.linkText(), QString("..."));
        QCOMPARE(rig.indicators.status(), QString("..."));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
    }

    void liveReadingSendsTrOnceNamedAndReplacesTheReceiveAreaOnceConfirmed() {
        BoardRig rig;
        rig.receive.ReplaceFlag = 1;
        auto live = liveReading(rig.dialogue);
        QCOMPARE(rig.receive.ReplaceFlag, 0);
        rig.chunk("PIC 16F88");
        // The confirmation also begins with the name: it lets the command go, and the
        // confirmation wait then needs a chunk of its own.
        rig.chunk("Temps reel actif");
        QCOMPARE(rig.board.writes, QByteArrayList({"TR", kTrailer}));
        QVERIFY(!live.isReady());
        rig.chunk("Temps reel actif\r\n");
        QVERIFY(live.isReady());
        QCOMPARE(rig.indicators.status(), QString("Temps reel actif"));
        QCOMPARE(rig.receive.ReplaceFlag, 1);
    }

    void eepromReadoutSkipsTheBannerOnlyWhileTheLinkBlinks_data() {
        QTest::addColumn<bool>("blinking");
        QTest::newRow("link blinking") << true;
        QTest::newRow("link closed") << false;
    }

    void eepromReadoutSkipsTheBannerOnlyWhileTheLinkBlinks() {
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

        rig.chunk(allBytes());
        rig.advance(Dialogue::kProgressPause);
        rig.chunk("\r\neeprom\r\n");
        endCollection(rig);
        QVERIFY(readout.isReady());
        QCOMPARE(rig.indicators.status(), QString("Transfert EEPROM Interne Effecué"));
        QCOMPARE(rig.receive.receiveBuffer(), allBytes() + "\r\neeprom\r\nPIC 16F88");
    }

    void memoryDownloadWritesTheReceivedBytesToTheDatedRecording() {
        QTemporaryDir dir;
        const QString path = dir.filePath("transfert_05122026.txt");
        // Two earlier downloads of the day: the newer one moves to the first free number.
        QVERIFY(writeFile(path, "earlier\r\n"));
        QVERIFY(writeFile(dir.filePath("transfert_05122026-1.txt"), "earliest\r\n"));
        BoardRig rig;
        rig.receive.ReplaceFlag = 1;
        auto download = memoryDownload(rig.dialogue, {QDir(dir.path()), QDate(2026, 12, 5), {}});
        rig.chunk("PIC 16F88");
        rig.chunk("Transfert");
        QCOMPARE(rig.board.writes, QByteArrayList({"Transfert", kTrailer}));
        QVERIFY(QFile::exists(path)); // from the command on

        const QByteArray first = allBytes() + "\r\n";
        const QByteArray last = "0123 0456 0789 .\r\nEffectue\r\n";
        rig.chunk(first);
        rig.advance(Dialogue::kProgressPause);
        rig.chunk(last);
        endCollection(rig);
        QVERIFY(download.isReady());
        QCOMPARE(rig.indicators.status(), QString("Transfert Effecué"));
        QCOMPARE(rig.receive.AppendFlag, 0);
        QCOMPARE(readFile(path), first + last + "PIC 16F88\r\n");
        QCOMPARE(readFile(dir.filePath("transfert_05122026-1.txt")), QByteArray("earliest\r\n"));
        QCOMPARE(readFile(dir.filePath("transfert_05122026-2.txt")), QByteArray("earlier\r\n"));
    }

    void memoryDownloadStoppedByTheUserKeepsWhatCameBefore() {
        QTemporaryDir dir;
        BoardRig rig;
        auto download = memoryDownload(rig.dialogue, {QDir(dir.path()), QDate(2027, 3, 1), {}});
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
};

QTEST_GUILESS_MAIN(DialogueTest)
#include "tst_dialogue.moc"
