#include "fakeboard.h"

#include "app/colours.h"
#include "link/dialogue.h"

#include <QTest>

using namespace std::chrono_literals;

using WaitEnd = Dialogue::WaitEnd;
using Outcome = std::optional<WaitEnd>;

namespace {

// "Seen", "Aborted", "TimedOut", or "waiting" while the wait goes on.
QString describe(const Outcome &outcome) {
    if (!outcome) return QStringLiteral("waiting");
    switch (*outcome) {
    case WaitEnd::Seen:
        return QStringLiteral("Seen");
    case WaitEnd::Aborted:
        return QStringLiteral("Aborted");
    case WaitEnd::TimedOut:
        return QStringLiteral("TimedOut");
    }
    return QStringLiteral("?");
}

// Starts a wait of the given form: 'A' starts-with with a time-out, 'B' starts-with with progress,
// 'C' collection.
QCoro::Task<> startWait(BoardRig &rig, char form, Outcome *end) {
    if (form == 'A') return keepOutcome(rig.dialogue.WaitForReply("RAZ", 3, 20s), end);
    if (form == 'B') return keepOutcome(rig.dialogue.WaitWithProgress("RAZ", 3), end);
    return keepOutcome(rig.dialogue.CollectUntil("Effectue"), end);
}

// Ends a wait that is still going on, so that nothing of it outlives the test.
void finish(BoardRig &rig, const Outcome &outcome) {
    rig.dialogue.setAbortFlag(1);
    for (int pass = 0; pass < 3 && !outcome; ++pass)
        rig.advance(Dialogue::kProgressPause);
}

} // namespace

class DialogueTest : public QObject {
    Q_OBJECT

private slots:
    void aChunkAlreadyThereEndsAStartsWithWaitBeforeItsFirstYield_data();
    void aChunkAlreadyThereEndsAStartsWithWaitBeforeItsFirstYield();
    void bannerWaitPassesOnlyOnAChunkThatIsExactlyTheBanner_data();
    void bannerWaitPassesOnlyOnAChunkThatIsExactlyTheBanner();
    void waitTimesOutOnlyPastItsLimitWhateverElseHappenedMeanwhile_data();
    void waitTimesOutOnlyPastItsLimitWhateverElseHappenedMeanwhile();
    void abortEndsTheRunningWaitAndEveryLaterWaitAfterOnePass_data();
    void abortEndsTheRunningWaitAndEveryLaterWaitAfterOnePass();
    void collectionFindsItsEndTextInAChunkOrAcrossTwoNeighbours_data();
    void collectionFindsItsEndTextInAChunkOrAcrossTwoNeighbours();
    void collectionEndsOnItsOwnWhenTheBoardFallsSilentAfterTheEndText();
    void progressWaitsKeepShowingProgressWhileTheBoardIsSilent_data();
    void progressWaitsKeepShowingProgressWhileTheBoardIsSilent();
    void progressStepTurnsTheSpinnerOneStep_data();
    void progressStepTurnsTheSpinnerOneStep();
    void progressStepPausesAQuarterSecondThenShowsTheTimeSinceTheStart();
};

void DialogueTest::aChunkAlreadyThereEndsAStartsWithWaitBeforeItsFirstYield_data() {
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("compareLength");
    QTest::addColumn<bool>("seen");

    QTest::newRow("name followed by more")
        << QByteArray("RAZ 0%") << QByteArray("RAZ") << 3 << true;
    QTest::newRow("name in other case") << QByteArray("Raz") << QByteArray("RAZ") << 3 << false;
    QTest::newRow("name cut short") << QByteArray("RA") << QByteArray("RAZ") << 3 << false;
    QTest::newRow("name after other text")
        << QByteArray("\r\nRAZ") << QByteArray("RAZ") << 3 << false;
    QTest::newRow("word exactly") << QByteArray("eeprom") << QByteArray("eeprom") << 9 << true;
    QTest::newRow("word and line end, compared over 9")
        << QByteArray("eeprom\r\n") << QByteArray("eeprom") << 9 << false;
    QTest::newRow("nothing received") << QByteArray() << QByteArray("Param") << 5 << false;
}

void DialogueTest::aChunkAlreadyThereEndsAStartsWithWaitBeforeItsFirstYield() {
    QFETCH(QByteArray, chunk);
    QFETCH(QByteArray, expected);
    QFETCH(int, compareLength);
    QFETCH(bool, seen);

    // Both starts-with forms test before they yield: no event needs to run for them to end.
    BoardRig rig;
    rig.receive.setLatestChunk(chunk);
    Outcome withTimeOut;
    Outcome withProgress;
    auto a = keepOutcome(rig.dialogue.WaitForReply(expected, compareLength, 20s), &withTimeOut);
    auto b = keepOutcome(rig.dialogue.WaitWithProgress(expected, compareLength), &withProgress);

    const QString expectedEnd = seen ? QStringLiteral("Seen") : QStringLiteral("waiting");
    QCOMPARE(describe(withTimeOut), expectedEnd);
    QCOMPARE(describe(withProgress), expectedEnd);
    QCOMPARE(rig.indicators.spinner(), QString("/"));
    finish(rig, withTimeOut);
    finish(rig, withProgress);
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

    if (passes) {
        QCOMPARE(banner, true);
        QCOMPARE(rig.indicators.linkText(), QString("Connexion établie avec la platine"));
        QCOMPARE(rig.indicators.linkColour(), colours::kRed);
        QVERIFY(rig.indicators.timer3().isActive());
        QCOMPARE(rig.receive.latestChunk(), QByteArray());
        return;
    }
    QVERIFY(!banner);
    rig.advance(15s + 1ms);
    QCOMPARE(banner, false);
    QCOMPARE(rig.indicators.linkText(), QString("..."));
    QVERIFY(!rig.indicators.timer3().isActive());
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
    QCOMPARE(describe(end), QString("waiting"));
    // A pass that runs exactly at the limit is not past it.
    rig.chunk("PIC 16F88");
    QCOMPARE(describe(end), QString("waiting"));

    // The abort or the name comes in the same yield as the end of the limit: the time-out is
    // tested first after a yield, the name only at the next pass.
    if (abort) rig.dialogue.setAbortFlag(1);
    if (!chunk.isEmpty()) {
        rig.board.deliver(chunk);
        rig.receive.Timer2_Timer();
    }
    rig.advance(1ms);
    QCOMPARE(describe(end), QString("TimedOut"));
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
        QCOMPARE(describe(end), QString("waiting"));
        rig.dialogue.setAbortFlag(1);
        settle();
        // A progress step under way still ends its pause first.
        if (form != 'A') rig.advance(Dialogue::kProgressPause);
        QCOMPARE(describe(end), QString("Aborted"));
        return;
    }
    // A single pass: form B runs its progress step before it tests the flag, form C after it.
    if (form == 'B') {
        rig.advance(Dialogue::kProgressPause - 1ms);
        QCOMPARE(describe(end), QString("waiting"));
        rig.advance(1ms);
    }
    QCOMPARE(describe(end), QString("Aborted"));
    QCOMPARE(rig.indicators.spinner(), form == 'B' ? QString("--") : QString("/"));
}

void DialogueTest::collectionFindsItsEndTextInAChunkOrAcrossTwoNeighbours_data() {
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<bool>("onePass");
    QTest::addColumn<bool>("found");

    const QByteArray sample = "0123 0456 0789 .\r\n";
    QTest::newRow("within a chunk") << QByteArrayList{sample + "Effectue\r\n"} << false << true;
    QTest::newRow("split, one chunk a pass")
        << QByteArrayList{sample + "Eff", "ectue\r\n"} << false << true;
    QTest::newRow("split, both in one pass")
        << QByteArrayList{sample + "Eff", "ectue\r\n"} << true << true;
    QTest::newRow("followed by another chunk in the same pass")
        << QByteArrayList{sample + "Effectue", "\r\n"} << true << true;
    QTest::newRow("split over three chunks")
        << QByteArrayList{sample + "E", "ffec", "tue\r\n"} << false << true;
    QTest::newRow("pieces with a chunk between")
        << QByteArrayList{"Eff", sample, "ectue\r\n"} << false << false;
    QTest::newRow("other case") << QByteArrayList{sample + "EFFECTUE\r\n"} << false << false;
    QTest::newRow("never completed") << QByteArrayList{sample + "Effectu"} << false << false;
}

void DialogueTest::collectionFindsItsEndTextInAChunkOrAcrossTwoNeighbours() {
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
    QCOMPARE(describe(end), QString("waiting"));

    // The board goes on with another burst; the pass that saw the end text ends the wait.
    rig.chunk("PIC 16F88");
    rig.advance(Dialogue::kProgressPause);
    QCOMPARE(describe(end), found ? QString("Seen") : QString("waiting"));
    QCOMPARE(rig.receive.receiveBuffer(), chunks.join() + "PIC 16F88");
    finish(rig, end);
}

void DialogueTest::collectionEndsOnItsOwnWhenTheBoardFallsSilentAfterTheEndText() {
    BoardRig rig;
    rig.dialogue.PrepareOperation(Dialogue::ClearFlags::Both);
    Outcome end;
    auto task = keepOutcome(rig.dialogue.CollectUntil("Effectue"), &end);

    // The end text comes last: after it the board sends nothing more.
    rig.chunk("0123 0456 0789 .\r\nEffectue\r\n");
    for (int pass = 0; pass < 4; ++pass)
        rig.advance(Dialogue::kProgressPause);

    QCOMPARE(describe(end), QString("Seen"));
    finish(rig, end);
}

void DialogueTest::progressWaitsKeepShowingProgressWhileTheBoardIsSilent_data() {
    QTest::addColumn<char>("form");

    QTest::newRow("starts-with with progress") << 'B';
    QTest::newRow("collection") << 'C';
}

void DialogueTest::progressWaitsKeepShowingProgressWhileTheBoardIsSilent() {
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

    QCOMPARE(describe(end), QString("waiting"));
    QCOMPARE(rig.indicators.spinner(), QString("--"));
    QCOMPARE(rig.indicators.elapsed(), QString("00:00:01"));
    finish(rig, end);
}

void DialogueTest::progressStepTurnsTheSpinnerOneStep_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    QTest::newRow("slash") << "/"
                           << "--";
    QTest::newRow("dashes") << "--"
                            << "\\";
    QTest::newRow("backslash") << "\\"
                               << "/";
    QTest::newRow("empty caption stays") << ""
                                         << "";
    QTest::newRow("other caption stays") << "-"
                                         << "-";
}

void DialogueTest::progressStepTurnsTheSpinnerOneStep() {
    QFETCH(QString, before);
    QFETCH(QString, after);

    BoardRig rig;
    rig.indicators.setSpinner(before);
    auto step = rig.dialogue.anime_();
    rig.advance(Dialogue::kProgressPause);

    QVERIFY(step.isReady());
    QCOMPARE(rig.indicators.spinner(), after);
}

void DialogueTest::progressStepPausesAQuarterSecondThenShowsTheTimeSinceTheStart() {
    BoardRig rig;
    rig.board.open();
    rig.dialogue.markOperationStart();
    rig.advance(65s - Dialogue::kProgressPause);

    auto step = rig.dialogue.anime_();
    settle();
    // Neither a chunk nor the abort flag shortens the pause.
    rig.chunk("RAZ");
    rig.dialogue.setAbortFlag(1);
    rig.advance(Dialogue::kProgressPause - 1ms);
    QVERIFY(!step.isReady());
    QCOMPARE(rig.indicators.spinner(), QString("/"));

    rig.advance(1ms);
    QVERIFY(step.isReady());
    QCOMPARE(rig.indicators.spinner(), QString("--"));
    QCOMPARE(rig.indicators.elapsed(), QString("00:01:05"));
}

QTEST_GUILESS_MAIN(DialogueTest)
#include "tst_dialogue.moc"
