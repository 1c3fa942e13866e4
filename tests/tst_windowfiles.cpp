// The window and the files around it: the chart's interval taken from a confirmed programming,
// real-time reading kept in a file, and a recording given on the command line or dropped, then
// exported as measures.
#include "data/filereason.h"
#include "data/measures.h"
#include "pseudoterminal.h"
#include "rig.h"
#include "simulator.h"

#include <QBuffer>
#include <QMimeData>
#include <QSpinBox>
#include <QtTest>

class WindowFilesTest : public QObject {
    Q_OBJECT
private slots:
    void theIntervalFollowsOnlyAProgrammingTheBoardConfirmed_data() {
        QTest::addColumn<bool>("confirmed"); // or stopped once sent, the board silent
        QTest::newRow("confirmed") << true;
        QTest::newRow("stopped") << false;
    }

    void theIntervalFollowsOnlyAProgrammingTheBoardConfirmed() {
        QFETCH(bool, confirmed);
        QTemporaryDir dir;
        const QString log = dir.filePath("received.log");
        Simulator board(kQuickBoard + QStringList{"--log", log} +
                        (confirmed ? QStringList() : QStringList{"--fault", "mute"}));
        QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
        // Preset 30 s to 210 s, PeriodValue 60; the switch is kept only once it is not 1.
        const QByteArray settings = "[COM]\r\nvaleur=COM1\r\n[Index]\r\nvaleur=2\r\n"
                                    "[graphique]\r\nintervalle=2\r\n";
        WindowRig rig(board.devicePath(),
                      settings + (confirmed ? "[commutateur]\r\nvaleur=3\r\n" : ""));
        Form2 &w = *rig.window;
        ChartPane &pane = *ui(w).graphique;
        QCOMPARE(pane.boardSwitch(), confirmed ? 3 : 1);

        QTest::mouseClick(ui(w).Command8, Qt::LeftButton);
        if (!confirmed) {
            QTRY_VERIFY_WITH_TIMEOUT(!loggedHex(log).isEmpty(), Simulator::kPatienceMs);
            QTest::mousePress(ui(w).Command8, Qt::RightButton);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!w.dialogue().busy(), Simulator::kPatienceMs);
        QCOMPARE(pane.interval(), confirmed ? 90.0 : 2.0);
        QCOMPARE(pane.intervalField()->toolTip().startsWith("Intervalle tiré"), confirmed);
        if (confirmed)
            QCOMPARE(pane.intervalField()->toolTip(),
                     "Intervalle tiré de la programmation : période 60 × 0,5 s × commutateur 3");

        w.Command6_Click();
        QCOMPARE(readFile(rig.path("param.ini")).contains("[commutateur]\r\nvaleur=3\r\n"),
                 confirmed);
    }

    void theLiveFileHoldsExactlyTheChunksReceivedWhileTicked_data() {
        QTest::addColumn<bool>("lost"); // the port lost, or a right press on the button
        QTest::newRow("stopped") << false;
        QTest::newRow("port lost") << true;
    }

    void theLiveFileHoldsExactlyTheChunksReceivedWhileTicked() {
        QFETCH(bool, lost);
        PseudoTerminal line; // the board played by hand
        QVERIFY(line.open());
        WindowRig rig(line.slavePath());
        Form2 &w = *rig.window;
        const auto say = [&](const QByteArray &bytes) {
            QCOMPARE(line.write(bytes), bytes.size());
        };
        const auto delivered = [&](const QByteArray &bytes) {
            say(bytes);
            QTRY_COMPARE(w.receive().latestChunk(), bytes);
        };
        const auto liveFiles = [&] {
            return QDir(rig.directory.path()).entryList({"temps_reel_*"}, QDir::Files);
        };
        QTest::mouseClick(ui(w).lecture_badge, Qt::LeftButton);
        say("PIC 16F88");
        QTRY_COMPARE(ui(w).Label14->text(), QString("Connexion établie avec la platine"));
        say("Temps reel");
        QByteArray heard;
        QTRY_VERIFY((heard += line.readAll()).endsWith("\x01\x01\x01"));
        say("Temps reel actif");
        QTRY_VERIFY(w.receive().ReplaceFlag);
        delivered("0001 0002 0003 .\r\n"); // before the tick: not kept
        QVERIFY(liveFiles().isEmpty());

        ui(w).graphique->keepLiveBox()->setChecked(true);
        QByteArray kept = "0004 0005 0006 .\r\n";
        delivered(kept);
        QVERIFY(w.liveKeeper().isOpen());
        QVERIFY(ui(w).Label1->text().endsWith(filereason::shownPath(w.liveKeeper().path())));
        const QByteArray odd("\x00\xff\r0007", 7); // bytes are bytes
        delivered(odd);
        kept += odd;
        if (lost) {
            const QByteArray last = "0008 0009 000A .\r\n";
            say(last);
            QTRY_VERIFY(w.receive().timer2().isActive()); // received, not yet delivered
            line.close();
            QTRY_VERIFY(!rig.port.isOpen());
            kept += last;
        } else {
            QTest::mousePress(ui(w).lecture_badge, Qt::RightButton);
            delivered("000B 000C 000D .\r\n"); // the board goes on: no longer kept
        }
        QVERIFY(!w.liveKeeper().isOpen());
        const QStringList files = liveFiles();
        QCOMPARE(files.size(), 1);
        QVERIFY(QRegularExpression("^temps_reel_\\d{8}_\\d{6}\\.txt$").match(files[0]).hasMatch());
        QCOMPARE(readFile(rig.path(files[0])), kept);
    }

    void aRecordingGivenOrDroppedOpensAsWithOuvrir_data() {
        QTest::addColumn<QByteArray>("content"); // null: no such file
        QTest::addColumn<bool>("dropped");       // or given on the command line
        QTest::addColumn<QString>("said");       // the message box; empty: shown
        const QByteArray good = "Transfert\r\n0123 0456 0789 .\r\n";
        QTest::newRow("command line") << good << false << QString();
        QTest::newRow("dropped") << good << true << QString();
        QTest::newRow("line too long") << QByteArray(2 << 20, '0') << false
                                       << "Ouvrir|« transfert_05122026.txt » contient une ligne";
        QTest::newRow("missing, dropped") << QByteArray() << true << "Ouvrir|";
    }

    void aRecordingGivenOrDroppedOpensAsWithOuvrir() {
        QFETCH(QByteArray, content);
        QFETCH(bool, dropped);
        QFETCH(QString, said);
        WindowRig rig(kNoDevice);
        Form2 &w = *rig.window;
        const QString path = rig.path("transfert_05122026.txt");
        if (!content.isNull()) QVERIFY(writeFile(path, content));
        if (dropped) { // on the receive area, which leaves it to the window
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(path)});
            QDragEnterEvent enter({9, 9}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QDropEvent drop({9, 9}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(ui(w).Text1->viewport(), &enter);
            QApplication::sendEvent(ui(w).Text1->viewport(), &drop);
        } else {
            w.openRecording(path);
        }
        const QStringList &messages = rig.desktop.messages;
        QCOMPARE(messages.size(), said.isEmpty() ? 0 : 1);
        QVERIFY(said.isEmpty() || messages[0].startsWith(said));
        QCOMPARE(w.receive().receiveBuffer(), said.isEmpty() ? content : QByteArray());
        QCOMPARE(ui(w).nom_fichier->text().startsWith("transfert_05122026.txt - "), said.isEmpty());
        QCOMPARE(ui(w).graphique->title(), said.isEmpty() ? "transfert_05122026.txt" : QString());
        if (!said.isEmpty()) return;
        // "Exporter les mesures…" writes what is shown, as the converter's --mesures writes it.
        rig.desktop.nextMeasuresLocation = rig.path("mesures.csv");
        ui(w).graphique->exportMeasuresButton()->click();
        QTRY_COMPARE(ui(w).Label1->text(), "Mesures enregistrées dans " + rig.path("mesures.csv"));
        QBuffer recording(&content), expected;
        recording.open(QIODevice::ReadOnly);
        expected.open(QIODevice::WriteOnly);
        writeMeasures(recording, expected, {ChannelSettings::defaults(), 0, QLocale::c()});
        QCOMPARE(readFile(rig.path("mesures.csv")), expected.data());
    }
};

QTEST_MAIN(WindowFilesTest)
#include "tst_windowfiles.moc"
