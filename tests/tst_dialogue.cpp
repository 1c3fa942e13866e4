// The board dialogue's three waits and its progress step, on a fake board and a manual clock.
#include "fakeboard.h"

#include "app/colours.h"

#include <QTest>

using namespace std::chrono_literals;

using WaitEnd = Dialogue::WaitEnd;
using Outcome = std::optional<WaitEnd>;

namespace {

const char *describe(const Outcome &end) {
    if (!end) return "waiting";
    return *end == WaitEnd::Seen ? "Seen" : *end == WaitEnd::Aborted ? "Aborted" : "TimedOut";
}

// Starts a wait of the given form: 'A' starts-with with a time-out, 'B' starts-with with progress,
// 'C' collection.
QCoro::Task<> startWait(BoardRig &rig, char form, Outcome *end) {
    if (form == 'A') return keepOutcome(rig.dialogue.WaitForReply("RAZ", 3, 20s), end);
    if (form == 'B') return keepOutcome(rig.dialogue.WaitWithProgress("RAZ", 3), end);
    return keepOutcome(rig.dialogue.CollectUntil("Effectue"), end);
}

// Ends a wait that is still going on, so that nothing of it outlives the test.
void finish(BoardRig &rig, const Outcome &end) {
    rig.dialogue.setAbortFlag(1);
    for (int pass = 0; pass < 3 && !end; ++pass)
        rig.advance(Dialogue::kProgressPause);
}

} // namespace

class DialogueTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithWaitsTestTheChunkAlreadyThereBeforeTheirFirstYield_data();
    void startsWithWaitsTestTheChunkAlreadyThereBeforeTheirFirstYield();
    void bannerWaitPassesOnlyOnAChunkThatIsExactlyTheBanner_data();
    void bannerWaitPassesOnlyOnAChunkThatIsExactlyTheBanner();
    void waitTimesOutOnlyPastItsLimitWhateverElseHappenedMeanwhile_data();
    void waitTimesOutOnlyPastItsLimitWhateverElseHappenedMeanwhile();
    void abortEndsTheRunningWaitAndEveryLaterWaitAfterOnePass_data();
    void abortEndsTheRunningWaitAndEveryLaterWaitAfterOnePass();
    void collectionFindsItsEndTextInAChunkOrAcrossNeighbours_data();
    void collectionFindsItsEndTextInAChunkOrAcrossNeighbours();
    void collectionEndsWhenTheBoardFallsSilentAfterTheEndText();
    void progressWaitsShowProgressWhileTheBoardIsSilent_data();
    void progressWaitsShowProgressWhileTheBoardIsSilent();
    void progressStepPausesThenTurnsTheSpinnerAndShowsTheElapsedTime_data();
    void progressStepPausesThenTurnsTheSpinnerAndShowsTheElapsedTime();
};

void DialogueTest::startsWithWaitsTestTheChunkAlreadyThereBeforeTheirFirstYield_data() {
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("seen");
    const auto row = [](const char *name, const char *chunk, const char *expected, int length,
                        bool seen) {
        QTest::newRow(name) << QByteArray(chunk) << QByteArray(expected) << length << seen;
    };
    row("name followed by more", "RAZ 0%", "RAZ", 3, true);
    row("name in other case", "Raz", "RAZ", 3, false);
    row("name cut short", "RA", "RAZ", 3, false);
    row("name after other text", "\r\nRAZ", "RAZ", 3, false);
    row("word exactly, compared over 9", "eeprom", "eeprom", 9, true);
    row("word and line end, compared over 9", "eeprom\r\n", "eeprom", 9, false);
    row("nothing received", "", "Param", 5, false);
}

void DialogueTest::startsWithWaitsTestTheChunkAlreadyThereBeforeTheirFirstYield() {
    QFETCH(QByteArray, chunk);
    QFETCH(QByteArray, expected);
    QFETCH(int, length);
    QFETCH(bool, seen);
    // No event needs to run for either form to end.
    BoardRig rig;
    rig.receive.setLatestChunk(chunk);
    Outcome a, b;
    auto withTimeOut = keepOutcome(rig.dialogue.WaitForReply(expected, length, 20s), &a);
    auto withProgress = keepOutcome(rig.dialogue.WaitWithProgress(expected, length), &b);
    QCOMPARE(describe(a), seen ? "Seen" : "waiting");
    QCOMPARE(describe(b), seen ? "Seen" : "waiting");
    QCOMPARE(rig.indicators.spinner(), QString("/"));
    finish(rig, a);
    finish(rig, b);
}

void DialogueTest::bannerWaitPassesOnlyOnAChunkThatIsExactlyTheBanner_data() {
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<bool>("passes");
    QTest::newRow("exactly the banner") << QByteArrayList{"PIC 16F88"} << true;
    QTest::newRow("banner after another chunk") << QByteArrayList{"\r\n", "PIC 16F88"} << true;
    QTest::newRow("banner and line end") << QByteArrayList{"PIC 16F88\r\n"} << false;
    QTest::newRow("banner and name in one chunk") << QByteArrayList{"PIC 16F88RAZ"} << false;
    QTest::newRow("banner over two chunks") << QByteArrayList{"PIC 1", "6F88"} << false;
}

void DialogueTest::bannerWaitPassesOnlyOnAChunkThatIsExactlyTheBanner() {
    QFETCH(QByteArrayList, chunks);
    QFETCH(bool, passes);
    BoardRig rig;
    rig.dialogue.PrepareOperation(Dialogue::ClearFlags::None);
    std::optional<bool> banner;
    auto task = keepOutcome(rig.dialogue.AwaitBanner(15s), &banner);
    for (const QByteArray &chunk : chunks)
        rig.chunk(chunk);
    if (!passes) {
        QVERIFY(!banner);
        rig.advance(15s + 1ms);
    }
    QCOMPARE(banner, passes);
    QCOMPARE(rig.indicators.linkText(),
             passes ? QString("Connexion établie avec la platine") : QString("..."));
    QCOMPARE(rig.indicators.timer3().isActive(), passes);
    if (passes) QCOMPARE(rig.indicators.linkColour(), colours::kRed);
    if (passes) QCOMPARE(rig.receive.latestChunk(), QByteArray());
}

void DialogueTest::waitTimesOutOnlyPastItsLimitWhateverElseHappenedMeanwhile_data() {
    QTest::addColumn<bool>("abort");
    QTest::addColumn<QByteArray>("chunk");
    QTest::newRow("silence") << false << QByteArray();
    QTest::newRow("abort") << true << QByteArray();
    QTest::newRow("the awaited name") << false << QByteArray("RAZ");
}

void DialogueTest::waitTimesOutOnlyPastItsLimitWhateverElseHappenedMeanwhile() {
    QFETCH(bool, abort);
    QFETCH(QByteArray, chunk);
    BoardRig rig;
    rig.board.open();
    Outcome end;
    auto task = keepOutcome(rig.dialogue.WaitForReply("RAZ", 3, 15s), &end);

    rig.advance(15s);
    rig.chunk("PIC 16F88"); // a pass that runs exactly at the limit is not past it
    QCOMPARE(describe(end), "waiting");

    // The abort or the name comes in the same yield as the end of the limit: the time-out is
    // tested first after a yield, the name only at the next pass.
    if (abort) rig.dialogue.setAbortFlag(1);
    if (!chunk.isEmpty()) {
        rig.board.deliver(chunk);
        rig.receive.Timer2_Timer();
    }
    rig.advance(1ms);
    QCOMPARE(describe(end), "TimedOut");
}

void DialogueTest::abortEndsTheRunningWaitAndEveryLaterWaitAfterOnePass_data() {
    QTest::addColumn<char>("form");
    QTest::addColumn<bool>("whileWaiting");
    for (const bool whileWaiting : {true, false}) {
        const char *when = whileWaiting ? "during" : "before";
        QTest::addRow("starts-with with time-out, abort %s", when) << 'A' << whileWaiting;
        QTest::addRow("starts-with with progress, abort %s", when) << 'B' << whileWaiting;
        QTest::addRow("collection, abort %s", when) << 'C' << whileWaiting;
    }
}

void DialogueTest::abortEndsTheRunningWaitAndEveryLaterWaitAfterOnePass() {
    QFETCH(char, form);
    QFETCH(bool, whileWaiting);
    BoardRig rig;
    rig.dialogue.PrepareOperation(Dialogue::ClearFlags::None);
    if (!whileWaiting) rig.dialogue.setAbortFlag(1);
    Outcome end;
    auto task = startWait(rig, form, &end);
    settle();

    if (whileWaiting) {
        QCOMPARE(describe(end), "waiting");
        rig.dialogue.setAbortFlag(1);
        settle();
        // A progress step under way still ends its pause first.
        if (form != 'A') rig.advance(Dialogue::kProgressPause);
        QCOMPARE(describe(end), "Aborted");
        return;
    }
    // A single pass: form B runs its progress step before it tests the flag, form C after it.
    if (form == 'B') {
        rig.advance(Dialogue::kProgressPause - 1ms);
        QCOMPARE(describe(end), "waiting");
        rig.advance(1ms);
    }
    QCOMPARE(describe(end), "Aborted");
    QCOMPARE(rig.indicators.spinner(), form == 'B' ? QString("--") : QString("/"));
}

void DialogueTest::collectionFindsItsEndTextInAChunkOrAcrossNeighbours_data() {
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<bool>("onePass"); // all chunks come during one pass
    QTest::addColumn<bool>("found");
    const QByteArray sample = "0123 0456 0789 .\r\n";
    QTest::newRow("within a chunk") << QByteArrayList{sample + "Effectue\r\n"} << false << true;
    QTest::newRow("split in two") << QByteArrayList{sample + "Eff", "ectue\r\n"} << false << true;
    QTest::newRow("split in two, one pass")
        << QByteArrayList{sample + "Eff", "ectue\r\n"} << true << true;
    QTest::newRow("followed by a chunk in the same pass")
        << QByteArrayList{sample + "Effectue", "\r\n"} << true << true;
    QTest::newRow("split in three")
        << QByteArrayList{sample + "E", "ffec", "tue\r\n"} << false << true;
    QTest::newRow("pieces with a chunk between")
        << QByteArrayList{"Eff", sample, "ectue\r\n"} << false << false;
    QTest::newRow("other case") << QByteArrayList{sample + "EFFECTUE\r\n"} << false << false;
    QTest::newRow("never completed") << QByteArrayList{sample + "Effectu"} << false << false;
}

void DialogueTest::collectionFindsItsEndTextInAChunkOrAcrossNeighbours() {
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

void DialogueTest::collectionEndsWhenTheBoardFallsSilentAfterTheEndText() {
    BoardRig rig;
    rig.dialogue.PrepareOperation(Dialogue::ClearFlags::Both);
    Outcome end;
    auto task = keepOutcome(rig.dialogue.CollectUntil("Effectue"), &end);
    rig.chunk("0123 0456 0789 .\r\nEffectue\r\n");
    for (int pass = 0; pass < 4; ++pass)
        rig.advance(Dialogue::kProgressPause);
    QCOMPARE(describe(end), "Seen");
}

void DialogueTest::progressWaitsShowProgressWhileTheBoardIsSilent_data() {
    QTest::addColumn<char>("form");
    QTest::newRow("starts-with with progress") << 'B';
    QTest::newRow("collection") << 'C';
}

void DialogueTest::progressWaitsShowProgressWhileTheBoardIsSilent() {
    QFETCH(char, form);
    // A memory erase can last long with nothing received: every pass still runs its progress
    // step, so the spinner turns and the elapsed time counts.
    BoardRig rig;
    rig.dialogue.PrepareOperation(Dialogue::ClearFlags::None);
    rig.dialogue.markOperationStart();
    Outcome end;
    auto task = startWait(rig, form, &end);
    settle();
    for (int pass = 0; pass < 4; ++pass)
        rig.advance(Dialogue::kProgressPause);
    QCOMPARE(describe(end), "waiting");
    QCOMPARE(rig.indicators.spinner(), QString("--"));
    QCOMPARE(rig.indicators.elapsed(), QString("00:00:01"));
    finish(rig, end);
}

void DialogueTest::progressStepPausesThenTurnsTheSpinnerAndShowsTheElapsedTime_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    const auto row = [](const char *before, const char *after) {
        QTest::newRow(before) << QString(before) << QString(after);
    };
    row("/", "--");
    row("--", "\\");
    row("\\", "/");
    row("", ""); // any other caption stays
    row("-", "-");
}

void DialogueTest::progressStepPausesThenTurnsTheSpinnerAndShowsTheElapsedTime() {
    QFETCH(QString, before);
    QFETCH(QString, after);
    BoardRig rig;
    rig.board.open();
    rig.indicators.setSpinner(before);
    rig.dialogue.markOperationStart();
    rig.advance(65s - Dialogue::kProgressPause);

    auto step = rig.dialogue.anime_();
    settle();
    // Neither a chunk nor the abort flag shortens the pause.
    rig.chunk("RAZ");
    rig.dialogue.setAbortFlag(1);
    rig.advance(Dialogue::kProgressPause - 1ms);
    QVERIFY(!step.isReady());
    QCOMPARE(rig.indicators.spinner(), before);

    rig.advance(1ms);
    QVERIFY(step.isReady());
    QCOMPARE(rig.indicators.spinner(), after);
    QCOMPARE(rig.indicators.elapsed(), QString("00:01:05"));
}

QTEST_GUILESS_MAIN(DialogueTest)
#include "tst_dialogue.moc"
