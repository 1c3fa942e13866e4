// The real window against the board simulator, stopped at every point of every operation: a stop
// before the command never reaches the board, a stop after it never claims success, and nothing
// received is lost when the program ends or the line goes.
#include "link/colours.h"
#include "pseudoterminal.h"
#include "rig.h"
#include "simulator.h"

#include <QtTest>

namespace {
const QString kRecording = QStringLiteral("transfert_05122026.txt");
const QString kEstablished = QStringLiteral("Connexion établie avec la platine");
const QString kNothingSent =
    QStringLiteral("Opération interrompue : rien n'a été envoyé à la platine");

enum class Stage { Banner, Name, AfterCommand };

struct Stop {
    QString operation; // reset, download, period, live, eeprom
    Stage stage;
    QString status;      // Label1 afterwards; for the download, its start
    QByteArray sent;     // what the board received, in hex as its log writes it
    const char *pressOn; // the button whose right press stops the operation
};

void start(Form2 &w, const QString &operation) {
    if (operation == "reset") QTest::mouseClick(ui(w).Command1, Qt::LeftButton);
    if (operation == "download") QTest::mouseClick(ui(w).Command3, Qt::LeftButton);
    if (operation == "period") QTest::mouseClick(ui(w).Command8, Qt::LeftButton);
    if (operation == "live") QTest::mouseClick(ui(w).lecture_badge, Qt::LeftButton);
    if (operation == "eeprom") QTest::mousePress(ui(w).gache, Qt::RightButton);
}
} // namespace

class StopTest : public QObject {
    Q_OBJECT
private slots:
    void aStopInEachWaitSendsNothingBeforeTheCommandAndNeverClaimsSuccess_data() {
        QTest::addColumn<Stop>("stop");
        const auto row = [](const char *name, Stop stop) { QTest::newRow(name) << stop; };
        // Every operation waits for the banner and its name alike: a few rows stand for them all.
        row("reset, banner", {"reset", Stage::Banner, kNothingSent, {}, "Command1"});
        row("reset, name", {"reset", Stage::Name, kNothingSent, {}, "Command1"});
        row("reset, erasing",
            {"reset", Stage::AfterCommand, "RAZ envoyé, fin non confirmée par la platine",
             "52 41 5A 01 01 01", "Command1"});
        row("download, name", {"download", Stage::Name, kNothingSent, {}, "Command8"});
        row("download, collecting", {"download", Stage::AfterCommand, "Transfert interrompu (",
                                     "54 72 61 6E 73 66 65 72 74 01 01 01", "Command3"});
        row("period, confirmation",
            {"period", Stage::AfterCommand, "Programmation envoyée, non confirmée par la platine",
             "50 61 72 61 6D 3C 00 01", "Command8"}); // preset 30 s to 210 s: 60
        row("live, confirmation",
            {"live", Stage::AfterCommand,
             "Lecture en temps réel interrompue : TR envoyé, non confirmé par la platine",
             "54 52 01 01 01", "lecture_badge"});
        row("read-out, banner", {"eeprom", Stage::Banner, kNothingSent, {}, "Command1"});
        row("read-out, name", {"eeprom", Stage::Name, kNothingSent, {}, "Command3"});
        row("read-out, collecting",
            {"eeprom", Stage::AfterCommand, "Transfert EEPROM Interne interrompu",
             "65 65 70 72 6F 6D 01 01 01", "Command1"});
    }

    void aStopInEachWaitSendsNothingBeforeTheCommandAndNeverClaimsSuccess() {
        NEEDS_BOARD_LINE();
        QFETCH(Stop, stop);
        QTemporaryDir dir;
        const QString log = dir.filePath("received.log");
        // The download's data crawls at the line rate; the other commands get no answer at all,
        // so that a stop after the command meets an operation still waiting.
        Simulator board(kQuickBoard + QStringList{"--log", log} +
                        (stop.operation == "download"
                             ? QStringList{"--line-rate", "960", "--samples", "400"}
                             : QStringList{"--fault", "mute"}));
        QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
        WindowRig rig(board.devicePath());
        Form2 &w = *rig.window;
        QVERIFY(writeFile(rig.path(kRecording), "premier\r\n"));
        ui(w).Combo3->setCurrentIndex(2);
        if (stop.operation == "eeprom") // closing the link makes the read-out wait for the banner
            QTest::mousePress(ui(w).Command10, Qt::RightButton);
        const int patience = Simulator::kPatienceMs;

        start(w, stop.operation);
        QVERIFY(w.dialogue().busy());
        if (stop.stage == Stage::Name)
            QTRY_COMPARE_WITH_TIMEOUT(ui(w).Label14->text(), kEstablished, patience);
        if (stop.stage == Stage::AfterCommand)
            QTRY_VERIFY_WITH_TIMEOUT(stop.operation == "download"
                                         ? !w.receive().receiveBuffer().isEmpty()
                                         : loggedHex(log) == stop.sent,
                                     patience);
        QTest::mousePress(w.findChild<QPushButton *>(stop.pressOn), Qt::RightButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.dialogue().busy(), patience);

        QVERIFY2(ui(w).Label1->text().startsWith(stop.status), qPrintable(ui(w).Label1->text()));
        QCOMPARE(ui(w).Label14->text(),
                 stop.stage == Stage::Banner ? QString("...") : kEstablished);
        QTest::qWait(300); // anything sent late would be in the log by now
        QCOMPARE(loggedHex(log), stop.sent);
        QVERIFY(!w.receive().ReplaceFlag && !w.receive().AppendFlag);
        QCOMPARE(ui(w).graphique->interval(), 0.0); // only a confirmed programming gives one

        // Only a download that sent its command touches files: the day's earlier recording is
        // kept as -1 and the new one holds what was collected.
        const bool saved = stop.operation == "download" && stop.stage == Stage::AfterCommand;
        QStringList files{kRecording};
        if (saved)
            files = QStringList{"transfert_05122026-1.txt", "transfert_05122026.ini", kRecording};
        QCOMPARE(QDir(rig.directory.path()).entryList({"transfert*"}, QDir::Files), files);
        const QByteArray collected = w.receive().receiveBuffer();
        QCOMPARE(readFile(rig.path(kRecording)), saved ? collected + "\r\n" : "premier\r\n");
        if (saved)
            QCOMPARE(ui(w).Label1->text(),
                     QString("Transfert interrompu (%1 octets enregistrés dans %2) : la platine "
                             "envoie peut-être encore la suite de sa mémoire")
                         .arg(QString::number(collected.size()), rig.path(kRecording)));
    }

    void endingTheProgramMidCollectionSavesWhatWasCollectedFirst_data() {
        QTest::addColumn<bool>("quitter");  // "Quitter", or the window's close
        QTest::addColumn<bool>("writable"); // the program's directory
        QTest::newRow("Quitter") << true << true;
        QTest::newRow("closed") << false << true;
        QTest::newRow("Quitter, recording saved elsewhere") << true << false;
        QTest::newRow("closed, recording saved elsewhere") << false << false;
    }

    void endingTheProgramMidCollectionSavesWhatWasCollectedFirst() {
        NEEDS_BOARD_LINE();
        QFETCH(bool, quitter);
        QFETCH(bool, writable);
        Simulator board(kQuickBoard + QStringList{"--line-rate", "960", "--samples", "400"});
        QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
        QTemporaryDir elsewhere;
        const QString programDirectory =
            writable ? QString() : elsewhere.filePath(QStringLiteral("absent"));
        WindowRig rig(board.devicePath(), {}, QLocale::c(), programDirectory);
        Form2 &w = *rig.window;
        const QString chosen = elsewhere.filePath("sauvé.txt");
        const QString recording = writable ? rig.path(kRecording) : chosen;
        rig.desktop.nextSaveLocation = chosen;
        QByteArrayList savedAtExit; // the recording each time the program asks to end
        rig.exitProgram = [&] { savedAtExit << readFile(recording); };
        w.show();
        QTest::mouseClick(ui(w).Command3, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(w.receive().receiveBuffer().size() > 100, Simulator::kPatienceMs);
        if (quitter)
            QTest::mouseClick(ui(w).Command6, Qt::LeftButton);
        else
            w.close();
        QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), Simulator::kPatienceMs);

        const QByteArray collected = w.receive().receiveBuffer();
        QVERIFY(!collected.contains("Effectue"));
        QCOMPARE(readFile(recording), collected + "\r\n");
        QCOMPARE(savedAtExit, quitter ? QByteArrayList{collected + "\r\n"} : QByteArrayList());
        QCOMPARE(rig.desktop.saveQuestions, writable ? 0 : 1);
        if (!writable) { // asked with the dated recording first proposed, and the place said
            QCOMPARE(rig.desktop.lastSaveSuggestion, QDir(programDirectory).filePath(kRecording));
            QVERIFY(rig.desktop.lastSaveReason.contains(kRecording));
            QVERIFY2(ui(w).Label1->text().contains(chosen), qPrintable(ui(w).Label1->text()));
        }
        // Closed as by "Quitter": the settings saved too, or why not said before the end.
        QCOMPARE(QFile::exists(rig.path("param.ini")), writable);
        QCOMPARE(rig.desktop.messages.size(), writable ? 0 : 1);
    }

    void aPortLostRightAfterDataArrivedKeepsTheDataAndSaysSo_data() {
        QTest::addColumn<bool>("live"); // real-time reading, or a download collecting
        QTest::newRow("download") << false;
        QTest::newRow("real-time reading") << true;
    }

    void aPortLostRightAfterDataArrivedKeepsTheDataAndSaysSo() {
        NEEDS_BOARD_LINE();
        QFETCH(bool, live);
        // This test plays the board by hand on the line, and pulls the line out.
        PseudoTerminal line;
        QVERIFY(line.open());
        const QString device = line.slavePath();
        WindowRig rig(device);
        Form2 &w = *rig.window;
        QByteArray heard; // what the window sent
        const QByteArray first = "0123 0456 0789 .\r\n", last = "0124 0457 078A .\r\n";
        const int patience = Simulator::kPatienceMs;
        const auto say = [&](const QByteArray &bytes) {
            QCOMPARE(line.write(bytes), bytes.size());
        };
        QTest::mouseClick(live ? ui(w).lecture_badge : ui(w).Command3, Qt::LeftButton);
        QTest::mousePress(ui(w).Command10, Qt::LeftButton); // open: light green
        say("PIC 16F88");
        QTRY_COMPARE_WITH_TIMEOUT(ui(w).Label14->text(), kEstablished, patience);
        say(live ? "Temps reel" : "Transfert");
        QTRY_VERIFY_WITH_TIMEOUT((heard += line.readAll()).endsWith("\x01\x01\x01"), patience);
        if (live) say("Temps reel actif");
        QTRY_VERIFY_WITH_TIMEOUT(live ? w.receive().ReplaceFlag : w.receive().AppendFlag, patience);
        say(first);
        QTRY_COMPARE_WITH_TIMEOUT(w.receive().latestChunk(), first, patience);
        // Ticked from now on, real-time reading is kept in a file; the download ignores it.
        ui(w).graphique->keepLiveBox()->setChecked(true);

        say(last);
        QTRY_VERIFY(w.receive().timer2().isActive()); // received, not yet delivered
        line.close();
        QTRY_VERIFY_WITH_TIMEOUT(!rig.port.isOpen(), patience);
        QCOMPARE(w.receive().latestChunk(), last);
        const QString lost = ui(w).Label14->text();
        QVERIFY2(lost.contains("Port COM12 (" + device + ") perdu"), qPrintable(lost));
        QCOMPARE(backColour(ui(w).Command10), colours::kButtonFace); // green means open
        QTRY_VERIFY_WITH_TIMEOUT(!w.dialogue().busy(), patience);
        const QStringList liveFiles = QDir(rig.directory.path()).entryList({"temps_reel_*.txt"});
        QCOMPARE(liveFiles.size(), live ? 1 : 0); // and beside it, its facts
        QCOMPARE(QDir(rig.directory.path()).entryList({"temps_reel_*.ini"}).size(), live ? 1 : 0);
        QVERIFY(!w.liveKeeper().isOpen());
        if (live) {
            QCOMPARE(readFile(rig.path(liveFiles[0])), last); // delivered as the port went
            QCOMPARE(w.receive().receiveBuffer(), last);
            QVERIFY(!w.receive().ReplaceFlag);
            QCOMPARE(ui(w).Label1->text(), "Lecture en temps réel interrompue : port perdu");
        } else {
            QCOMPARE(readFile(rig.path(kRecording)), first + last + "\r\n");
            QCOMPARE(ui(w).Label1->text(),
                     QString("Transfert interrompu : port perdu (36 octets enregistrés dans %1)")
                         .arg(rig.path(kRecording)));
        }
        // No receive tick reopens the port or replaces the message.
        QTest::qWait(300);
        QCOMPARE(ui(w).Label14->text(), lost);
        QVERIFY(!rig.port.isOpen());
    }
};

QTEST_MAIN(StopTest)
#include "tst_stop.moc"
