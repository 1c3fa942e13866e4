// The window's recording handlers, offscreen: Ouvrir, dropping a recording, exporting measures,
// Conversion Fichier, handing the receive area to the desktop, the dump of the latest chunk, a
// download whose recording cannot be written, and a full disk under every file the program writes.
#include "app/channelsdialog.h"
#include "app/chartpane.h"
#include "app/chartview.h"
#include "letters.h"
#include "link/colours.h"
#include "rig.h"
#include "simulator.h"

#include "data/facts.h"
#include "data/filereason.h"
#include "data/measures.h"
#include "data/profile.h"
#include "data/recording.h"
#include "data/spreadsheet.h"

#include <QAccessible>
#include <QBuffer>
#include <QClipboard>
#include <QDateTime>
#include <QLayout>
#include <QMimeData>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {
const QString kRecordingName = QStringLiteral("transfert_05122026.txt");

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
        QVERIFY(file.open(QIODevice::ReadWrite) &&
                file.setFileTime(QDateTime(QDate(2026, 12, 5), QTime(14, 3, 9)),
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
        QCOMPARE(ui(w).graphique->title(), kRecordingName);
        // Read aloud as the lines it shows: real line ends, no invisible marks.
        QAccessibleInterface *readable = QAccessible::queryAccessibleInterface(ui(w).Text1);
        QVERIFY(readable && readable->textInterface());
        // NUL shows as its control picture.
        const QString lines = QString::fromLatin1(shown).replace(QChar(0), QChar(0x2400));
        QCOMPARE(readable->textInterface()->text(0, readable->textInterface()->characterCount()),
                 lines);
        QCOMPARE(readable->text(QAccessible::Value), lines);
        // ... and heard as a read-only multi-line text area.
        const QAccessible::State state = readable->state();
        QVERIFY(state.multiLine && state.readOnly && state.focusable && state.selectableText &&
                !state.editable);
        // "Exporter les mesures…" writes what is shown, as the converter's --mesures writes it.
        rig.desktop.nextMeasuresLocation = rig.path("mesures.csv");
        ui(w).graphique->exportMeasuresButton()->click();
        QTRY_COMPARE(ui(w).Label1->text(), "Mesures enregistrées dans " +
                                               filereason::shownPath(rig.path("mesures.csv")) +
                                               " : 1 ligne");
        QBuffer measured, expected;
        measured.setData(shown);
        measured.open(QIODevice::ReadOnly);
        expected.open(QIODevice::WriteOnly);
        writeMeasures(measured, expected, {ChannelSettings::defaults(), 0, kFrench});
        QCOMPARE(readFile(rig.path("mesures.csv")), expected.data());

        // Cancelled, a missing file dropped on the receive area, a line too long to show given on
        // the command line, a download collecting into the receive area: nothing changes.
        QTest::mouseClick(ui(w).Command4, Qt::LeftButton);
        QVERIFY(rig.desktop.messages.isEmpty());
        QMimeData dropped;
        dropped.setUrls({QUrl::fromLocalFile(rig.path("transfert_01032027.txt"))});
        QDragEnterEvent enter({9, 9}, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop({9, 9}, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(ui(w).Text1->viewport(), &enter);
        QApplication::sendEvent(ui(w).Text1->viewport(), &drop);
        QCOMPARE(rig.desktop.messages.size(), 1);
        QVERIFY(rig.desktop.messages[0].startsWith("Ouvrir|") &&
                rig.desktop.messages[0].contains("transfert_01032027.txt"));
        QVERIFY(writeFile(rig.path("long.txt"), QByteArray(2 << 20, '0')));
        w.openRecording(rig.path("long.txt"));
        QVERIFY(
            rig.desktop.messages.takeLast().startsWith("Ouvrir|« long.txt » contient une ligne"));
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

    void ouvrirStartsWhereTheLastRecordingCameFromAndSaysWhenAFileHoldsNoSample() {
        WindowRig rig(kNoDevice, {}, kFrench);
        Form2 &w = *rig.window;
        QVERIFY(QDir(rig.directory.path()).mkpath("archives"));
        const QString picture = rig.path("archives/image.png");
        QVERIFY(writeFile(picture, bytes("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\x04")));
        rig.desktop.nextRecording = picture;
        QTest::mouseClick(ui(w).Command4, Qt::LeftButton);
        QCOMPARE(rig.desktop.lastRecordingFolder, rig.directory.path());
        QCOMPARE(ui(w).Label1->text(),
                 QStringLiteral("Ouvrir : « image.png » : il ne contient aucune ligne de mesures "
                                "(« 0123 0456 0789 . ») : ce n'est pas un enregistrement de la "
                                "platine."));
        // The next one starts in that folder; a recording there clears the note.
        const QString recording = rig.path("archives/" + kRecordingName);
        QVERIFY(writeFile(recording, "0123 0456 0789 .\r\n"));
        rig.desktop.nextRecording = recording;
        QTest::mouseClick(ui(w).Command4, Qt::LeftButton);
        QCOMPARE(rig.desktop.lastRecordingFolder, QFileInfo(picture).absolutePath());
        QCOMPARE(ui(w).Label1->text(), QStringLiteral("..."));
    }

    void theMeasuresExportWritesTheSamplesTheChartShows() {
        WindowRig rig(kNoDevice, {}, kFrench);
        Form2 &w = *rig.window;
        ChartPane &pane = *ui(w).graphique;
        pane.setInterval(2);
        const auto exported = [&](const QString &name, const QString &rows) -> QByteArrayList {
            rig.desktop.nextMeasuresLocation = rig.path(name);
            pane.exportMeasuresButton()->click();
            const QString said =
                "Mesures enregistrées dans " + filereason::shownPath(rig.path(name)) + " : " + rows;
            if (!QTest::qWaitFor([&] { return ui(w).Label1->text() == said; })) return {};
            return readFile(rig.path(name)).split('\n');
        };
        // Ten samples, one with an invalid field, the last row unfinished.
        QByteArray text = "Transfert\r\n";
        for (int i = 0; i < 9; ++i)
            text += QByteArray::number(0x100 + i, 16).rightJustified(4, '0') + " 0200 " +
                    (i == 4 ? "zz03" : "0300") + " .\r\n";
        text += "0400 .\r\n";
        const QString path = rig.path(kRecordingName);
        QVERIFY(writeFile(path, text));
        rig.desktop.nextRecording = path;
        QTest::mouseClick(ui(w).Command4, Qt::LeftButton);
        const QByteArrayList whole = exported("tout.csv", "10 lignes");
        QCOMPARE(whole.size(), 12); // the header, ten rows, the empty text after the last CR LF
        QCOMPARE(whole[5], "8;260;512;\r");
        QCOMPARE(whole[10], "18;1024;;\r");
        // Zoomed: the rows shown, timed as in the whole export.
        pane.view()->zoomTo(3, 6);
        const QByteArrayList zoomed = exported("zoom.csv", "4 lignes");
        QCOMPARE(zoomed.size(), 6);
        QCOMPARE(zoomed.front(), whole.front());
        QCOMPARE(zoomed.mid(1, 4), whole.mid(4, 4));

        // A real-time reading of 700 samples: the chart's last 600, from sample 100 on.
        QByteArray stream;
        for (int i = 0; i < 700; ++i)
            stream +=
                QByteArray::number(i, 16).toUpper().rightJustified(4, '0') + " 0001 0002 .\r\n";
        pane.liveChunk(stream.left(5000));
        pane.liveChunk(stream.mid(5000));
        const QByteArrayList live = exported("direct.csv", "600 lignes");
        QCOMPARE(live.size(), 602);
        QCOMPARE(live[1], "200;100;1;2\r");
        QCOMPARE(live[600], "1398;699;1;2\r");
    }

    // A recording opens with its own facts: interval, channels and start as recorded, the span
    // named, each row's date and time exported; the start corrected and the interval typed go into
    // its facts file. Without facts, or with a damaged file, the settings hold as for any file.
    void aRecordingOpensWithItsOwnFactsAndItsStartCanBeCorrected() {
        WindowRig rig(kNoDevice, "[graphique]\r\nintervalle=7\r\n", kFrench);
        Form2 &w = *rig.window;
        ChartPane &pane = *ui(w).graphique;
        const QString path = rig.path(kRecordingName);
        QVERIFY(writeFile(path, "0001 0002 0003 .\r\n0004 0005 0006 .\r\n0007 0008 0009 .\r\n"));
        RecordingFacts facts;
        facts.interval = 30;
        facts.start = QDateTime(QDate(2026, 12, 5), QTime(23, 59, 30));
        facts.startOrigin = StartOrigin::LastReset;
        facts.channels.channels[0] = {"Température", "°C", {0, 0, 10, 5}};
        QVERIFY(facts.save(factsPath(path)));
        w.openRecording(path);
        QCOMPARE(std::tuple(pane.interval(), pane.channels(), pane.startField()->text()),
                 std::tuple(30.0, facts.channels, QString("05/12/2026 23:59:30")));
        QVERIFY(pane.findChild<QLabel *>("voies_enregistrement")->isVisibleTo(&pane));
        // Its controls widen nothing: the window at its default size does not scroll.
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCoreApplication::sendPostedEvents();
        w.layout()->activate();
        if (lettersAreDrawn()) // where texts have their widths
            QCOMPARE(w.findChild<QScrollArea *>()->horizontalScrollBar()->maximum(), 0);
        const QString span = " - du 05/12/2026 23:59:30 au 06/12/2026 00:00:30";
        QVERIFY2(ui(w).nom_fichier->text().endsWith(span), qPrintable(ui(w).nom_fichier->text()));
        QCOMPARE(ui(w).Label1->text(),
                 "« " + kRecordingName + " »" + span + " (début : dernière RAZ)");
        rig.desktop.nextMeasuresLocation = rig.path("mesures.csv");
        pane.exportMeasuresButton()->click();
        QTRY_VERIFY(QFileInfo::exists(rig.path("mesures.csv")));
        QCOMPARE(
            readFile(rig.path("mesures.csv")).split('\n').mid(0, 4),
            QByteArrayList({"\xEF\xBB\xBFTemps (s);Date et heure;Température (°C);Voie2;Voie3\r",
                            "0;2026-12-05 23:59:30;0,5;2;3\r", "30;2026-12-06 00:00:00;2;5;6\r",
                            "60;2026-12-06 00:00:30;3,5;8;9\r"}));

        // Corrected, in the locale's form; refused text is said and undone.
        pane.startField()->setText("le matin");
        QMetaObject::invokeMethod(pane.startField(), "editingFinished");
        QVERIFY(ui(w).Label1->text().startsWith("« le matin » n'est pas une date et une heure"));
        QCOMPARE(pane.startField()->text(), QString("05/12/2026 23:59:30"));
        pane.startField()->setText("05/12/2026 08:15");
        QMetaObject::invokeMethod(pane.startField(), "editingFinished");
        QTest::keyClicks(pane.intervalField(), "0"); // 300 s
        std::optional<RecordingFacts> kept = RecordingFacts::read(factsPath(path));
        QVERIFY(kept);
        QCOMPARE(std::tuple(kept->start, kept->startOrigin, kept->interval, kept->channels),
                 std::tuple(QDateTime(QDate(2026, 12, 5), QTime(8, 15)), StartOrigin::Corrected,
                            300.0, facts.channels));

        // "Voies…" on it: its facts and the settings take the channels.
        pane.editChannels();
        QTRY_VERIFY(pane.findChild<ChannelsDialog *>());
        ChannelsDialog *dialog = pane.findChild<ChannelsDialog *>();
        dialog->highField(0)->setText("3");
        dialog->accept();
        facts.channels.channels[0].high = 3;
        QCOMPARE(RecordingFacts::read(factsPath(path))->channels, facts.channels);
        QCOMPARE(ChannelSettings::read(Profile(rig.path("param.ini"))), facts.channels);

        // "Rapport PDF…" reports what the window shows, proposed beside the recordings.
        rig.desktop.nextReportLocation = rig.path("rapport.pdf");
        pane.reportButton()->click();
        QTRY_COMPARE(ui(w).Label1->text(),
                     "Rapport enregistré dans " + filereason::shownPath(rig.path("rapport.pdf")));
        if (const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
            !pdftotext.isEmpty()) {
            QProcess text;
            text.start(pdftotext, {"-layout", rig.path("rapport.pdf"), "-"});
            QVERIFY(text.waitForFinished());
            const QString page = QString::fromUtf8(text.readAllStandardOutput());
            QVERIFY2(page.contains(kRecordingName) && page.contains("2026-12-05 08:15:00") &&
                         page.contains("Température") && page.contains("300 s"),
                     qPrintable(page));
        }

        // Without facts, and with a damaged file: what the settings say, no start.
        w.openRecording(path); // its span said again
        QVERIFY(ui(w).Label1->text().contains(" - du "));
        const QString other = rig.path("transfert_04122026.txt");
        QVERIFY(writeFile(other, "0001 0002 0003 .\r\n"));
        for (const QByteArray &damaged :
             {QByteArray(), QByteArray("\xFF[enregistrement\r\ndebut=x")}) {
            if (!damaged.isNull()) QVERIFY(writeFile(factsPath(other), damaged));
            w.openRecording(other);
            // Without facts, the settings as "Voies…" left them; a facts file that tells no
            // channel gives the defaults.
            QCOMPARE(pane.channels(), damaged.isNull() ? facts.channels : ChannelSettings());
            QVERIFY(pane.startField()->text().isEmpty());
            QVERIFY(!ui(w).nom_fichier->text().contains(" - du "));
            QVERIFY(!ui(w).Label1->text().contains(" - du ")); // nor the status, of the other one
            QVERIFY(!pane.findChild<QLabel *>("voies_enregistrement")->isVisibleTo(&pane) ||
                    !damaged.isNull());
        }
        QCOMPARE(pane.interval(), 300.0); // the user's last typed interval, for what comes next
    }

    void doubleClickingTheReceiveAreaHandsItsExactBytesToTheDesktopOrSaysWhyNot() {
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
        QVERIFY(QFile::remove(temp));

        // A full disk: the system's reason, not a guess.
#ifdef Q_OS_UNIX // a full disk and a read-only file as a POSIX system makes them
        rig.window->receive().setReceiveBuffer(QByteArray(64 * 1024, 'x'));
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), temp));
        QTest::mouseDClick(ui(*rig.window).Text1->viewport(), Qt::LeftButton);
        QCOMPARE(rig.desktop.messages.size(), 1);
        QVERIFY2(rig.desktop.messages[0].contains("disque plein"),
                 qPrintable(rig.desktop.messages[0]));
        QCOMPARE(rig.desktop.opened.size(), 2);
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
#endif
    }

    void aRightPressLaysTheLatestChunkOutUnlessItIsBeingCollected() {
        WindowRig rig(kNoDevice);
        ReceivePath &receive = rig.window->receive();
        QWidget *text2 = ui(*rig.window).Text2->viewport();
        const QByteArray chunk = "AB12CD.EF", dump = "AB 12 CD \r\nEF \r\n";
        receive.setReceiveBuffer("collecte\r\n");
        receive.setLatestChunk("bloc d'avant");
        receive.setLatestChunk(chunk); // shown in place of the one before
        QCOMPARE(ui(*rig.window).Text2->toPlainText(), QString::fromLatin1(chunk));
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
                 "Conversion : fichier_excel.csv enregistré dans " + filereason::shownPath(output) +
                     ". Aucun tableur n'a été trouvé pour l'ouvrir : ouvrez-le avec votre tableur "
                     "(séparateur « ; »).");
        QCOMPARE(rig.desktop.messages.size(), 1);
    }

    void aDownloadThatCannotBeWrittenAsksWhereToSaveItUntilTheUserGivesUp() {
        NEEDS_BOARD_LINE();
        Simulator board(kQuickBoard);
        QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
        QTemporaryDir elsewhere;
        const QString missing = elsewhere.filePath(QStringLiteral("programme-absent"));
        WindowRig rig(board.devicePath(), {}, kFrench, missing);
        Form2 &w = *rig.window;
        const QString chosen = elsewhere.filePath("absent/a.txt"); // not writable either
        rig.desktop.nextSaveLocation = chosen;                     // the next answer cancels
        QTest::mouseClick(ui(w).Command3, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.dialogue().busy(), Simulator::kPatienceMs);
        // Asked only once the collection was over, then again where the last answer failed.
        QVERIFY(w.receive().receiveBuffer().contains("Effectue"));
        QCOMPARE(rig.desktop.saveQuestions, 2);
        QCOMPARE(rig.desktop.lastSaveSuggestion, chosen);
        QVERIFY(rig.desktop.lastSaveReason.contains("a.txt"));
        QVERIFY2(ui(w).Label1->text().contains("non enregistré"), qPrintable(ui(w).Label1->text()));
        QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files), QStringList());
        QVERIFY(!QFileInfo::exists(missing));
    }

    // A full disk takes the first bytes of a write and refuses the rest. Every file the program
    // writes must then fail, say why, and leave the earlier file as it was, never a truncated file
    // in its place.
    void writesThatAFullDiskCutsShortFailAndKeepTheEarlierFile() {
#ifndef Q_OS_UNIX
        QSKIP("a file size limit stands for the full disk only on a POSIX system");
#else
        QTemporaryDir directory;
        const QString path = directory.filePath(QStringLiteral("fichier"));
        const QByteArray earlier = "[COM]\r\nvaleur=COM3\r\n";
        const QByteArray recording = QByteArray("0123 0456 0789 .\r\n").repeated(200);
        const QString source = directory.filePath(kRecordingName);
        QVERIFY(writeFile(source, recording));
        std::signal(SIGXFSZ, SIG_IGN); // a refused write fails with EFBIG instead of a signal
        const auto attempt = [&](const std::function<bool(QString *)> &write) {
            QVERIFY(writeFile(path, earlier));
            // Every file this process writes is limited in size, as on a full disk.
            rlimit saved{};
            QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
            const rlimit full{rlim_t(earlier.size() + 4), saved.rlim_max};
            QVERIFY(setrlimit(RLIMIT_FSIZE, &full) == 0);
            QString error;
            const bool written = write(&error);
            setrlimit(RLIMIT_FSIZE, &saved);
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
#endif
    }
};

QTEST_MAIN(RecordingWindowTest)
#include "tst_recordingwindow.moc"
