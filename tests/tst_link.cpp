// The serial link without a window, on a fake board: the receive path that gathers bursts into
// chunks, the board dialogue's three waits and its progress step, and the five board operations
// built on them (what goes on the wire and when, time-outs, aborts, where the received bytes end
// up). The dialogue runs on a manual clock. A command the line does not take. Then the board
// simulator beyond the answers the window tests run against: a command among stray bytes, a memory
// that RAZ empties, silence, the port entry it records and its orderly end.
#include "fakeboard.h"

#include "board/operations.h"
#include "data/filereason.h"
#include "data/profile.h"
#include "link/portmap.h"
#include "link/serialtransport.h"
#include "pseudoterminal.h"
#include "simulator.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

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
    rig.dialogue.setAbortFlag(true);
    for (int pass = 0; pass < 3 && !end; ++pass)
        rig.advance(Dialogue::kProgressPause);
}

// An operation whose board falls silent after `answers`: its wait ends `limit` seconds on, after
// `writes` command words and trailers, and the status line starts with `said`.
struct Handshake {
    const char *operation;
    QByteArrayList answers;
    int limit, writes;
    const char *said = "Pas de réponse de la platine (délai dépassé)";
};

const QByteArray kTrailer("\x01\x01\x01");
const QString kEstablished = QStringLiteral("Connexion établie avec la platine");

} // namespace

class LinkTest : public QObject {
    Q_OBJECT

private slots:
    void receiveEventsOfOneBurstGiveOneTickALostPortHandsOverItsBytesAndNoneOpensThePort() {
        FakeBoard board;
        board.open();
        ReceivePath receive(board);
        QSignalSpy ticks(&receive.timer2(), &QTimer::timeout);
        board.deliver("PIC ");
        board.deliver("1");
        // Later events of the burst neither postpone the tick nor add one: 50 ms on, it is still
        // due 50 ms later, not 100.
        QTimer::singleShot(50ms, &board, [&] {
            board.deliver("6F88");
            QVERIFY(receive.timer2().remainingTime() < 75);
        });
        QTRY_COMPARE(receive.latestChunk(), QByteArray("PIC 16F88"));
        QCOMPARE(ticks.size(), 1);
        QVERIFY(!receive.timer2().isActive());

        // A lost port hands over what it held before it closes; the tick is still 100 ms away. The
        // receive flags both set, the chunk is copied into the receive buffer, then appended.
        receive.ReplaceFlag = receive.AppendFlag = true;
        board.deliver("0123 0456 0789 .\r\n");
        emit board.lost();
        QCOMPARE(receive.latestChunk(), QByteArray("0123 0456 0789 .\r\n"));
        QCOMPARE(receive.receiveBuffer(), QByteArray("0123 0456 0789 .\r\n").repeated(2));
        QVERIFY(!receive.timer2().isActive());

        // A port closed by the user (or lost) stays closed: only "Connexion" or an operation
        // opens it.
        board.close();
        board.deliver("RAZ");
        QTRY_COMPARE(ticks.size(), 2);
        QVERIFY(!board.isOpen());
        QCOMPARE(board.calls, QStringList({"open", "read", "read", "close"}));
    }

    void theLineOpensAt9600Baud8DataBitsNoParityOneStopBitWithoutFlowControl() {
        NEEDS_BOARD_LINE();
#ifdef Q_OS_UNIX
        PseudoTerminal line;
        QVERIFY(line.open());
        SerialTransport port([&](int) { return line.slavePath(); });
        QVERIFY(port.open());
        // What the terminal itself was set to.
        const int fd = ::open(line.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        QVERIFY(fd >= 0);
        termios settings{};
        QCOMPARE(tcgetattr(fd, &settings), 0);
        ::close(fd);
        QVERIFY(cfgetispeed(&settings) == B9600 && cfgetospeed(&settings) == B9600);
        QCOMPARE(settings.c_cflag & (CSIZE | CSTOPB | CRTSCTS), tcflag_t(CS8));
        // Parity and software flow control make no difference on a pseudo-terminal: the port's
        // own settings tell them.
        QCOMPARE(port.serialPort().parity(), QSerialPort::NoParity);
        QCOMPARE(port.serialPort().flowControl(), QSerialPort::NoFlowControl);
#endif
    }

    void abortEndsEveryWaitAfterOnePassAndATimeOutComesOnlyPastTheLimit() {
        BoardRig rig;
        rig.dialogue.PrepareOperation(Dialogue::ClearFlags::None);
        Outcome a, b, c;
        // During a wait with progress: the progress step under way still ends its pause first.
        auto progress = keepOutcome(rig.dialogue.WaitWithProgress("RAZ", 3), &b);
        settle();
        rig.dialogue.setAbortFlag(true);
        settle();
        QCOMPARE(describe(b), "waiting");
        rig.advance(Dialogue::kProgressPause);
        QCOMPARE(describe(b), "Aborted");
        QCOMPARE(rig.indicators.spinner(), QString("--"));

        // Every later wait makes a single pass: the starts-with wait with a time-out and the
        // collection end at once, the latter before its progress step.
        auto timeOut = keepOutcome(rig.dialogue.WaitForReply("RAZ", 3, 20s), &a);
        settle();
        QCOMPARE(describe(a), "Aborted");
        auto collection = keepOutcome(rig.dialogue.CollectUntil("Effectue"), &c);
        settle();
        QCOMPARE(describe(c), "Aborted");
        QCOMPARE(rig.indicators.spinner(), QString("--"));

        // A wait times out only past its limit, even when the name and an abort come with it.
        BoardRig fresh;
        fresh.board.open();
        Outcome end;
        auto task = keepOutcome(fresh.dialogue.WaitForReply("RAZ", 3, 15s), &end);
        fresh.advance(15s);
        fresh.chunk("PIC 16F88"); // a pass that runs exactly at the limit is not past it
        QCOMPARE(describe(end), "waiting");
        // The name and an abort come in the same yield as the end of the limit: after a yield the
        // time-out is tested first, the abort next, the name only at the next pass.
        fresh.dialogue.setAbortFlag(true);
        fresh.board.deliver("RAZ");
        fresh.receive.Timer2_Timer();
        fresh.advance(1ms);
        QCOMPARE(describe(end), "TimedOut");
    }

    void collectionFindsItsEndTextInAChunkOrAcrossNeighbours_data() {
        QTest::addColumn<QByteArrayList>("chunks");
        QTest::addColumn<bool>("onePass"); // all chunks come during one pass
        QTest::addColumn<bool>("found");
        const QByteArray sample = "0123 0456 0789 .\r\n";
        const auto row = [](const char *name, const QByteArrayList &chunks, bool onePass,
                            bool found) { QTest::newRow(name) << chunks << onePass << found; };
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
        rig.receive.AppendFlag = true;
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

    void memoryResetAndLiveReadingSendTheirCommandOnlyOnceTheBoardNamedIt() {
        BoardRig rig;
        auto reset = memoryReset(rig.dialogue);
        QCOMPARE(rig.board.calls, QStringList({"open", "dtr off"}));
        QCOMPARE(rig.indicators.status(), QString("Attente de la platine… 0 s / 15 s"));
        rig.chunk("RAZ"); // before the banner it names nothing
        rig.chunk("PIC 16F88");
        QCOMPARE(rig.indicators.linkText(), kEstablished);
        // The next wait counts against its own time-out; once the board answered, the count goes.
        QCOMPARE(rig.indicators.status(), QString("Attente de la platine… 0 s / 20 s"));
        QVERIFY(rig.board.writes.isEmpty());
        rig.chunk("RAZ\r\n");
        QCOMPARE(rig.board.writes, QByteArrayList({"RAZ", kTrailer}));
        QCOMPARE(rig.indicators.status(), QString("RAZ Mémoire en cours ..."));

        // The erase lasts until the board says "RAZ" again; the silent passes still show progress,
        // the spinner turning through its cycle.
        for (int pass = 0; pass < 4; ++pass)
            rig.advance(Dialogue::kProgressPause);
        QVERIFY(!reset.isReady());
        QCOMPARE(rig.indicators.spinner(), QString("--"));
        QCOMPARE(rig.indicators.elapsed(), QString("00:00:01"));
        rig.chunk("RAZ");
        rig.advance(Dialogue::kProgressPause);
        QVERIFY(reset.isReady());
        QCOMPARE(rig.indicators.status(), QString("RAZ Effectué"));

        // Live reading sends TR once named and replaces the receive area once confirmed.
        rig.receive.ReplaceFlag = true;
        auto live = liveReading(rig.dialogue);
        QVERIFY(!rig.receive.ReplaceFlag);
        rig.chunk("PIC 16F88");
        // The confirmation also begins with the name: it lets the command go, and the
        // confirmation wait then needs a chunk of its own.
        rig.chunk("Temps reel actif");
        QCOMPARE(rig.board.writes.mid(2), QByteArrayList({"TR", kTrailer}));
        QVERIFY(!live.isReady());
        rig.chunk("Temps reel actif\r\n");
        QVERIFY(live.isReady());
        QCOMPARE(rig.indicators.status(), QString("Temps reel actif"));
        QVERIFY(rig.receive.ReplaceFlag);
    }

    void aHandshakeThatTimesOutSaysSoAndSendsNothingMore_data() {
        QTest::addColumn<Handshake>("handshake");
        const QByteArray banner = "PIC 16F88";
        const char *sending = "La platine envoie encore des données (11 octets reçus) : attendez "
                              "la fin de l'envoi, puis recommencez";
        QTest::newRow("reset, no banner but bytes: still sending")
            << Handshake{"reset", {"PIC 16F88\r\n"}, 15, 0, sending};
        QTest::newRow("live, no banner") << Handshake{"live", {}, 20, 0};
        QTest::newRow("read-out, no banner") << Handshake{"eeprom", {}, 20, 0};
        QTest::newRow("period, no banner") << Handshake{"period", {}, 20, 0};
        QTest::newRow("download, no banner") << Handshake{"download", {}, 20, 0};
        QTest::newRow("reset, no name") << Handshake{"reset", {banner}, 20, 0};
        QTest::newRow("download, no name") << Handshake{"download", {banner, "Transfer"}, 15, 0};
        QTest::newRow("period, no confirmation") << Handshake{"period", {banner, "Param"}, 15, 2};
        QTest::newRow("live, no confirmation") << Handshake{"live", {banner, "Temps reel"}, 15, 2};
    }

    void aHandshakeThatTimesOutSaysSoAndSendsNothingMore() {
        QFETCH(Handshake, handshake);
        const QString operation = handshake.operation, said = handshake.said;
        QTemporaryDir dir;
        BoardRig rig;
        Dialogue &d = rig.dialogue;
        QCoro::Task<> task = operation == "reset"    ? memoryReset(d)
                             : operation == "live"   ? liveReading(d)
                             : operation == "eeprom" ? eepromReadout(d)
                             : operation == "period"
                                 ? periodProgramming(d, 600)
                                 : memoryDownload(d, {QDir(dir.path()), QDate(2026, 12, 5), {}});
        for (const QByteArray &answer : handshake.answers)
            rig.chunk(answer);
        const QString linkBefore = rig.indicators.linkText();
        // A handshake says that it waits, and counts each second against its own time-out.
        const bool handshakeWaits = handshake.writes == 0;
        const QString counted = QStringLiteral("Attente de la platine… %1 s / %2 s");
        rig.advance(1s);
        rig.advance(6s);
        rig.advance(500ms);
        QCOMPARE(rig.indicators.status(),
                 handshakeWaits ? counted.arg(7).arg(handshake.limit) : QString("..."));
        rig.advance(std::chrono::seconds(handshake.limit) - 7500ms);
        if (handshakeWaits)
            QCOMPARE(rig.indicators.status(), counted.arg(handshake.limit).arg(handshake.limit));
        QVERIFY(!task.isReady());
        rig.advance(1ms);
        QVERIFY(task.isReady() && !d.busy());
        QCOMPARE(rig.board.writes.size(), handshake.writes);
        QVERIFY2(rig.indicators.status().startsWith(said), qPrintable(rig.indicators.status()));
        QCOMPARE(rig.indicators.linkText(), linkBefore);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
        QVERIFY(!rig.receive.ReplaceFlag);
    }

    // The window tests lose the port after the command; before it, nothing is sent.
    void aPortLostBeforeTheCommandEndsTheWaitAndSendsNothing() {
        BoardRig rig;
        auto reset = memoryReset(rig.dialogue);
        emit rig.board.lost();
        settle();
        QVERIFY(reset.isReady() && rig.board.writes.isEmpty());
        QVERIFY(rig.indicators.status().contains("port perdu"));
        QCOMPARE(rig.indicators.linkText(), QString("..."));
    }

    // A command that the line holds (flow control, a stalled adapter) goes on its way when the
    // line takes it again in time. Held for the whole write time-out, it ends the operation as a
    // lost port does, and none of it reaches the board afterwards.
    void aCommandTheLineHoldsForTheWholeWriteTimeOutBlocksThePort() {
        NEEDS_BOARD_LINE();
        PseudoTerminal line;
        QVERIFY(line.open());
        SerialTransport port([&](int) { return line.slavePath(); });
        ManualClock writeClock;
        port.setClock(writeClock);
        QSignalSpy problems(&port, &Transport::problem);
        ReceivePath receive(port);
        Indicators indicators;
        SteadyClock clock;
        Dialogue dialogue(port, receive, indicators, clock);
        QByteArray sent;
        for (const bool released : {true, false}) {
            auto reset = memoryReset(dialogue);
            line.write("PIC 16F88");
            QTRY_COMPARE(indicators.linkText(), kEstablished);
            QVERIFY(line.holdSlaveOutput(true));
            line.write("RAZ");
            QTRY_COMPARE(indicators.status(), QString("RAZ Mémoire en cours ..."));
            writeClock.advance(SerialTransport::kWriteTimeout - 1ms);
            QVERIFY(port.isOpen() && problems.isEmpty() && line.readAll().isEmpty());
            if (released) {
                QVERIFY(line.holdSlaveOutput(false));
                QTRY_COMPARE(sent += line.readAll(), "RAZ" + kTrailer);
                writeClock.advance(1ms);
                line.write("RAZ");
                QTRY_VERIFY(reset.isReady());
                QCOMPARE(indicators.status(), QString("RAZ Effectué"));
                continue;
            }
            writeClock.advance(1ms);
            QTRY_VERIFY(reset.isReady());
            QVERIFY(!port.isOpen());
            QCOMPARE(indicators.status(), QString("RAZ envoyé, fin non confirmée par la platine"));
            QVERIFY(line.holdSlaveOutput(false));
            QCOMPARE(line.readAll(), QByteArray());
        }
        QCOMPARE(problems.size(), 1);
        QCOMPARE(problems[0][0].toString(),
                 QString("Port COM1 (%1) bloqué : la commande n'a pas pu partir.")
                     .arg(line.slavePath()));
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
        rig.receive.ReplaceFlag = rig.receive.AppendFlag = true;
        auto readout = eepromReadout(rig.dialogue);
        QVERIFY(!rig.receive.ReplaceFlag && !rig.receive.AppendFlag);
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
        // The board then falls silent: the pass that saw the end text ends the collection.
        rig.advance(Dialogue::kProgressPause);
        rig.advance(Dialogue::kProgressPause);
        QVERIFY(readout.isReady());
        QCOMPARE(rig.indicators.status(), QString("Transfert EEPROM Interne Effecué"));
        QCOMPARE(rig.receive.receiveBuffer(), allBytes() + "\r\neeprom\r\n");
    }

    void memoryDownloadsWriteTheReceivedBytesToTheDatedRecording() {
        QTemporaryDir dir;
        const QString path = dir.filePath("transfert_05122026.txt");
        // Two earlier downloads of the day: the newer one moves to the first free number.
        QVERIFY(writeFile(path, "earlier\r\n"));
        QVERIFY(writeFile(dir.filePath("transfert_05122026-1.txt"), "earliest\r\n"));
        BoardRig rig;
        rig.receive.ReplaceFlag = true;
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
        rig.advance(Dialogue::kProgressPause);
        rig.chunk("PIC 16F88"); // during the last pass: still collected
        rig.advance(Dialogue::kProgressPause);
        QVERIFY(download.isReady());
        // The status counts the samples (one a spreadsheet row): the line of every byte value
        // cuts into fields too.
        QCOMPARE(rig.indicators.status(), "Transfert Effecué, enregistré dans " +
                                              filereason::shownPath(path) + ", 3 échantillons");
        QVERIFY(!rig.receive.AppendFlag);
        QCOMPARE(readFile(path), first + last + "PIC 16F88\r\n");
        QCOMPARE(readFile(dir.filePath("transfert_05122026-1.txt")), QByteArray("earliest\r\n"));
        QCOMPARE(readFile(dir.filePath("transfert_05122026-2.txt")), QByteArray("earlier\r\n"));

        // An empty memory, as after a RAZ: the download is done and says that no sample came.
        QString savedAt;
        qint64 samples = -1;
        auto empty = memoryDownload(
            rig.dialogue,
            {QDir(dir.path()), QDate(2026, 12, 5), {}, [&](const QString &at, qint64 count) {
                 savedAt = at;
                 samples = count;
             }});
        rig.chunk("PIC 16F88");
        rig.chunk("Transfert");
        rig.chunk("Effectue\r\n");
        rig.advance(Dialogue::kProgressPause);
        rig.advance(Dialogue::kProgressPause);
        QVERIFY(empty.isReady());
        QCOMPARE(rig.indicators.status(), "Transfert Effecué, enregistré dans " +
                                              filereason::shownPath(path) + ", 0 échantillon");
        QCOMPARE(std::pair(savedAt, samples), std::pair(path, 0LL));
    }

    void findsACommandAmongStrayBytesAndRazEmptiesItsMemoryUntilARealTimeReading() {
        NEEDS_BOARD_LINE();
        QTemporaryDir dir;
        const QString ini = dir.filePath("nouveau/param.ini"); // a fresh installation's folder
        Simulator board(kQuickBoard + QStringList{"--samples", "5", "--live-ms", "50",
                                                  "--live-count", "3", "--wire", "COM2", "--ini",
                                                  ini});
        QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
        const Profile profile(ini);
        SerialTransport port([&](int number) { return configuredPorts(profile).value(number); });
        port.setPortNumber(2); // the entry the simulator recorded
        ReceivePath receive(port);
        Indicators indicators;
        SteadyClock clock;
        Dialogue dialogue(port, receive, indicators, clock);
        const auto run = [&](QCoro::Task<> &&) {
            QTRY_VERIFY_WITH_TIMEOUT(!dialogue.busy(), Simulator::kPatienceMs);
        };
        // Noise, pieces of other words, then "Param" with the period 300, byte by byte.
        receive.AppendFlag = true;
        QVERIFY(port.open());
        for (const char byte : QByteArray(1, '\0') + "\xFFTRaParParam\x2C\x01\x01")
            port.write(QByteArray(1, byte));
        QTRY_VERIFY_WITH_TIMEOUT(receive.receiveBuffer().contains("Periode=300"),
                                 Simulator::kPatienceMs);
        QList<qsizetype> downloaded;
        for (int round = 0; round < 3; ++round) {
            if (round > 0) run(round == 1 ? memoryReset(dialogue) : liveReading(dialogue));
            run(memoryDownload(dialogue, {QDir(dir.path()), QDate(2026, 12, 5), {}}));
            downloaded << receive.receiveBuffer().count('.');
        }
        QCOMPARE(downloaded, QList<qsizetype>({5, 0, 3}));
    }

    void staysSilentRecordsItsPortAndEndsInOrder() {
        NEEDS_BOARD_LINE();
        QTemporaryDir dir;
        const QString ini = dir.filePath("param.ini");
        QVERIFY(writeFile(ini, "[Config]\r\nport=3\r\n[ports]\r\nCOM1=/dev/ttyUSB0\r\n"));
        Simulator board({"--silent", "--cycle-ms", "600", "--wire", "COM4", "--ini", ini});
        QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
        QCOMPARE(readFile(ini), "[Config]\r\nport=3\r\n[ports]\r\nCOM1=/dev/ttyUSB0\r\nCOM4=" +
                                    QFile::encodeName(board.devicePath()) +
                                    "\r\n[COM]\r\nvaleur=COM4\r\n");

        SerialTransport port([&](int) { return board.devicePath(); });
        ReceivePath receive(port);
        QVERIFY(port.open());
        QTest::qWait(1500); // more than two rounds of announcements, had it not been silent
        QCOMPARE(receive.latestChunk(), QByteArray());
        QVERIFY(!receive.timer2().isActive());

        board.process().terminate();
        QVERIFY(board.process().waitForFinished(Simulator::kPatienceMs));
        QVERIFY(board.process().exitStatus() == QProcess::NormalExit &&
                board.process().exitCode() == 0);
    }
};

QTEST_GUILESS_MAIN(LinkTest)
#include "tst_link.moc"
