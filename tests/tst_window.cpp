// The real window, offscreen: its start state, start-up and "Quitter", the period choice, the
// link, the presses on the operation buttons, and the five operations against the board simulator.
#include "chart/sampleseries.h"
#include "data/facts.h"
#include "data/filereason.h"
#include "data/profile.h"
#include "data/recording.h"
#include "data/timetext.h"
#include "letters.h"
#include "link/colours.h"
#include "pseudoterminal.h"
#include "rig.h"
#include "simulator.h"

#include <QApplication>
#include <QLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest/qtestspontaneevent.h>
#include <QtTest>

namespace {
const QString kFormulaTip = QStringLiteral("Période = valeur * 0.5 * switch (1 à 7)");

QByteArray settingsFile(const char *com, const char *free, const char *select, const char *index) {
    return QByteArray("[COM]\r\nvaleur=") + com + "\r\n[temporisation]\r\nvaleur=" + free +
           "\r\n[select]\r\nvaleur=" + select + "\r\n[Index]\r\nvaleur=" + index + "\r\n";
}

// Settings as stored (no file when null), as the window shows them at start-up, and as "Quitter"
// writes them back with the values shown unchanged (not looked at when null).
struct Restored {
    const char *port, *shownFree;
    bool ticked;
    int shownIndex;
    QByteArray stored = {}, rewritten = {};
};
struct Tip {
    bool french;
    QString typed, kept, tip;
};
} // namespace

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void theWindowStartsWithItsTimersAndNamedInputsTheClockTicksAndAboutSaysWho() {
        WindowRig rig(kNoDevice);
        Form2 &w = *rig.window;
        // The port list tells the device of its entry; every input has a name to be read aloud.
        QCOMPARE(ui(w).Combo1->toolTip(), kNoDevice);
        for (QWidget *input :
             QWidgetList{ui(w).Text1, ui(w).Text2, ui(w).libre, ui(w).Combo1, ui(w).Combo3})
            QVERIFY2(!input->accessibleName().isEmpty(), input->objectName().toLatin1());
        QCOMPARE(w.windowTitle(), QStringLiteral("Ondrelle  Volterne"));
        QCOMPARE(ui(w).Combo1->count(), 12);
        const QList<int> intervals = {ui(w).Timer1->interval(), w.receive().timer2().interval(),
                                      w.indicators().timer3().interval()};
        QCOMPARE(intervals, QList<int>({800, 100, 500}));
        QVERIFY(ui(w).Timer1->isActive() && w.indicators().timer3().isActive());
        QVERIFY(!w.receive().timer2().isActive());

        // The time of day, and the About box that the credit and the link open.
        const QTime time(14, 5, 9);
        QCOMPARE(timeOfDayText(time, kFrench), QString("14:05:09"));
        QCOMPARE(timeOfDayText(time, QLocale(QLocale::English, QLocale::UnitedStates)),
                 QString("2:05:09 PM")); // without a time zone
        QTRY_COMPARE_WITH_TIMEOUT(ui(w).defile->text().count(':'), 2, Simulator::kPatienceMs);
        QTest::mouseClick(ui(w).Label7, Qt::LeftButton);
        QTest::mouseClick(ui(w).Label16, Qt::LeftButton);
        QTest::mouseClick(ui(w).Label16, Qt::RightButton);
        const QStringList &said = rig.desktop.messages;
        QVERIFY(said.size() == 2 && said[0] == said[1]);
        // No address of a site: where the guide is, for a program run from its build the one in
        // its sources.
        const QString where = QStringLiteral("Ondrelle|Guide de l'utilisateur : ");
        const QString guide = said[0].mid(where.size());
        QVERIFY2(said[0].startsWith(where) && guide.endsWith("guide.md") && QFile::exists(guide),
                 qPrintable(said[0]));
        QVERIFY(rig.desktop.lastDetails.contains(VOLTERNE_VERSION) &&
                rig.desktop.lastDetails.contains("GPL") &&
                !rig.desktop.lastDetails.contains("www"));
    }

    void startUpRestoresTheSettings_data() {
        QTest::addColumn<Restored>("r");
        const auto row = [](const char *name, const char *com, const char *free, const char *select,
                            const char *index, Restored shown) {
            shown.stored = settingsFile(com, free, select, index);
            QTest::newRow(name) << shown;
        };
        QTest::newRow("no file") << Restored{"COM12", "", false, 0};
        row("COM10", "COM10", "40000", "1", "4", {"COM10", "40000", true, 4});
        row("com3", "com3", "8", "0", "2", {"COM12", "8", false, 2});
        row("index -1", "COM2", "1", "0", "-1", {"COM2", "1", false, -1});
        row("index 7", "COM1", "1", "abc", "7", {"COM1", "1", false, 0});
        row("index 2.5", "COM1", "", "1.0", "2.5", {"COM1", "", true, 2});
        row("index 3.5", "COM1", "", "0", "3.5", {"COM1", "", false, 4});
        row("index 4.6", "COM1", "", "0", "4.6", {"COM1", "", false, 0});
        row("free cut to 9", "COM1", "1.234567890", "1", "0", {"COM1", "1.2345678", true, 0});
        // A value ends at its first NUL; lines of NULs stay.
        Restored nul{"COM3", "", true, 3}, twice{"COM2", "", true, 0};
        nul.stored =
            bytes("\0\0\0\r\n[COM]\r\nvaleur=COM3\0COM4\r\n[temporisation]\r\nvaleur=\0\0\r\n"
                  "[select]\r\nvaleur=1\0x\r\n[Index]\r\nvaleur=3\r\n\0[Index]\0\r\n");
        nul.rewritten = bytes("\0\0\0\r\n[COM]\r\nvaleur=COM3\r\n[temporisation]\r\nvaleur=\r\n"
                              "[select]\r\nvaleur=1\r\n[Index]\r\nvaleur=3\r\n\0[Index]\0\r\n");
        QTest::newRow("NUL bytes") << nul;
        // The first section of a name counts; the others are kept as they were.
        twice.stored = "[COM]\r\nvaleur=COM2\r\n[select]\r\nvaleur=1\r\n[com]\r\nvaleur=COM5\r\n"
                       "[Index]\r\n[INDEX]\r\nvaleur=4\r\n[select]\r\nvaleur=0\r\n";
        twice.rewritten = "[COM]\r\nvaleur=COM2\r\n[select]\r\nvaleur=1\r\n[com]\r\nvaleur=COM5\r\n"
                          "[Index]\r\nvaleur=0\r\n[INDEX]\r\nvaleur=4\r\n[select]\r\nvaleur=0\r\n"
                          "[temporisation]\r\nvaleur=\r\n";
        QTest::newRow("duplicated sections") << twice;
    }

    void startUpRestoresTheSettings() {
        QFETCH(Restored, r);
        WindowRig rig(kNoDevice, r.stored);
        Form2 &w = *rig.window;
        QCOMPARE(ui(w).Combo1->currentText(), QString(r.port));
        QCOMPARE(rig.port.portNumber(), QString(r.port).mid(3).toInt());
        QCOMPARE(ui(w).libre->text(), QString(r.shownFree));
        QCOMPARE(ui(w).Check1->isChecked(), r.ticked);
        QCOMPARE(ui(w).libre->isEnabled(), r.ticked);
        QCOMPARE(ui(w).Combo3->currentIndex(), r.shownIndex);
        if (r.rewritten.isNull()) return;
        w.Command6_Click();
        const QByteArray written = readFile(rig.path(QStringLiteral("param.ini")));
        QCOMPARE(written, r.rewritten);
        // What was written is read back the same.
        WindowRig again(kNoDevice, written);
        QCOMPARE(ui(*again.window).Combo1->currentText(), QString(r.port));
        QCOMPARE(ui(*again.window).Check1->isChecked(), r.ticked);
        QCOMPARE(ui(*again.window).Combo3->currentIndex(), r.shownIndex);
    }

    void theListsUseWhatTheyShowAndQuitterWritesItKeepingTheRestOfTheFile() {
        // LF line ends, no end on the last line, a section without the key, sections and keys in
        // another case: all rewritten with CR LF, everything else kept.
        WindowRig rig(kNoDevice, "; réglages\n[ports]\nCOM3=/dev/ttyUSB0\n[com]\nvaleur=COM1\n"
                                 "[select]\nautre=x\n[autre]\nx=y\n[Index]\nVALEUR=2");
        Form2 &w = *rig.window;
        QVERIFY(ui(w).Combo1->currentText() == "COM1" && ui(w).Combo3->currentIndex() == 2);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const auto type = [](QComboBox *list, const QString &text) {
            list->setFocus();
            list->lineEdit()->selectAll();
            for (const QChar c : text) // as typed, accented letters too
                QTest::sendKeyEvent(QTest::Click, list, Qt::Key_unknown, QString(c), {});
        };
        // Text that names an entry selects it as it is typed.
        type(ui(w).Combo1, QStringLiteral("COM3"));
        QCOMPARE(ui(w).Combo1->currentIndex(), 2);
        QCOMPARE(rig.port.portNumber(), 3);
        type(ui(w).Combo3, QStringLiteral("45  mn  à 315  min"));
        QCOMPARE(ui(w).Combo3->currentIndex(), 4);

        // Other text goes back to the entry in use when editing ends, and the status says why.
        type(ui(w).Combo1, QStringLiteral("COMX"));
        QTest::keyClick(ui(w).Combo1, Qt::Key_Return);
        QCOMPARE(ui(w).Combo1->currentText(), QStringLiteral("COM3"));
        QCOMPARE(rig.port.portNumber(), 3);
        QVERIFY2(ui(w).Label1->text().contains("COMX"), qPrintable(ui(w).Label1->text()));
        type(ui(w).Combo3, QStringLiteral("2 heures"));
        ui(w).Combo1->setFocus(); // focus leaves the list
        QCOMPARE(ui(w).Combo3->currentText(), QStringLiteral("45  mn  à 315  min"));
        QVERIFY(ui(w).Label1->text().contains("2 heures"));

        // "Quitter" saves what is in use, the chart's interval in a section of its own.
        ui(w).Check1->setChecked(true);
        ui(w).libre->setText(QStringLiteral("250"));
        ui(w).Combo3->setCurrentIndex(-1);
        ui(w).graphique->intervalField()->setText(QStringLiteral("1,5"));
        emit ui(w).graphique->intervalField()->textEdited(QStringLiteral("1,5"));
        type(ui(w).Combo1, QStringLiteral("COMy"));
        w.Command6_Click();
        QCOMPARE(readFile(rig.path("param.ini")),
                 "; réglages\r\n[ports]\r\nCOM3=/dev/ttyUSB0\r\n[com]\r\nvaleur=COM3\r\n[select]"
                 "\r\nautre=x\r\nvaleur=1\r\n[autre]\r\nx=y\r\n[Index]\r\nVALEUR=-1\r\n"
                 "[temporisation]\r\nvaleur=250\r\n[graphique]\r\nintervalle=1.5\r\n");
        WindowRig again(kNoDevice, readFile(rig.path("param.ini")));
        QCOMPARE(ui(*again.window).graphique->interval(), 1.5);
    }

    void freeValueTipFollowsTheLocaleAndTheCap_data() {
        QTest::addColumn<Tip>("tip");
        const QString top = "Période = 32767 sec à 229369 sec";
        QTest::newRow("1") << Tip{false, "1", "1", "Période = 0.5 sec à 3.5 sec"};
        QTest::newRow("1, French") << Tip{true, "1", "1", "Période = 0,5 sec à 3,5 sec"};
        QTest::newRow("65534, French, no group separator") << Tip{true, "65534", "65534", top};
        QTest::newRow("70000, capped") << Tip{false, "70000", "65534", top};
        QTest::newRow("0.1") << Tip{false, "0.1", "0.1", "Période = 0.05 sec à 0.35 sec"};
        QTest::newRow("not a number keeps the tip") << Tip{false, "abc", "abc", kFormulaTip};
        QTest::newRow("negative, kept as typed, the tip gives the range")
            << Tip{false, "-5", "-5", "Période impossible : la valeur libre va de 0 à 65534"};
    }

    void freeValueTipFollowsTheLocaleAndTheCap() {
        QFETCH(Tip, tip);
        WindowRig rig(kNoDevice, settingsFile("COM1", "", "1", "0"),
                      tip.french ? kFrench : QLocale::c());
        QCOMPARE(ui(*rig.window).libre->toolTip(), kFormulaTip);
        ui(*rig.window).libre->setText(tip.typed);
        QCOMPARE(ui(*rig.window).libre->text(), tip.kept);
        QCOMPARE(ui(*rig.window).libre->toolTip(), tip.tip);
    }

    void theButtonsFollowTheirRulesAndAPortThatCannotOpenIsSaid() {
        WindowRig rig(kNoDevice);
        Form2 &w = *rig.window;
        // A negative free value (no period) is refused before anything is sent, the range said.
        w.PeriodValue = 8;
        ui(w).Check1->setChecked(true);
        ui(w).libre->setText("-5");
        QTest::mouseClick(ui(w).Command8, Qt::LeftButton);
        QVERIFY(!w.dialogue().busy() && !rig.port.isOpen());
        QCOMPARE(w.PeriodValue, quint16(8));
        QCOMPARE(ui(w).Label1->text(), QStringLiteral("Valeur libre « -5 » invalide : entrez un "
                                                      "nombre de 0 à 65534. Rien n'a été envoyé."));

        w.receive().AppendFlag = true;
        w.receive().ReplaceFlag = true;
        QTest::mousePress(ui(w).Command1, Qt::MiddleButton);
        QCOMPARE(backColour(ui(w).Command1), colours::kButtonFace);
        QTest::mousePress(ui(w).Command8, Qt::LeftButton);
        QCOMPARE(backColour(ui(w).Command8), colours::kLightCyan);
        QVERIFY(!w.dialogue().abortFlag());
        QTest::mousePress(ui(w).Command3, Qt::RightButton);
        QVERIFY(!w.receive().AppendFlag && w.receive().ReplaceFlag && w.dialogue().abortFlag());
        QTest::mousePress(ui(w).lecture_badge, Qt::RightButton);
        QVERIFY(!w.receive().ReplaceFlag);

        // A port that cannot be opened is said, and an operation then ends at once, clearing
        // nothing.
        QTest::mousePress(ui(w).Command10, Qt::LeftButton);
        QVERIFY(!rig.port.isOpen());
        QCOMPARE(backColour(ui(w).Command10), colours::kButtonFace);
        const QString said = ui(w).Label14->text();
        QVERIFY2(said.contains("COM12") && said.contains(kNoDevice) && said.contains("introuvable"),
                 qPrintable(said));
        w.receive().setReceiveBuffer("affiché");
        QTest::mouseClick(ui(w).Command1, Qt::LeftButton);
        QVERIFY(!w.dialogue().busy());
        QCOMPARE(ui(w).Label14->text(), said);
        QCOMPARE(w.receive().receiveBuffer(), QByteArray("affiché"));
        QVERIFY(ui(w).Label1->text().contains("rien n'a été envoyé"));
    }

    void onALineThatNeverAnswersConnexionShortcutsPressesAndClosingDoTheirPart() {
        NEEDS_BOARD_LINE();
        // Under a desktop's keyboard scheme text fields take Ctrl+E (end of line) and the like for
        // themselves; the offscreen platform's does not, so every control here claims every key,
        // as the worst of them would.
        struct GreedyControls : QObject {
            bool eventFilter(QObject *watched, QEvent *event) override {
                if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
                    static_cast<QWidget *>(watched)->focusPolicy() != Qt::NoFocus)
                    event->accept();
                return false;
            }
        } greedy;
        qApp->installEventFilter(&greedy);
        PseudoTerminal silent; // a board that never answers: an operation waits until stopped
        QVERIFY(silent.open());
        auto rig =
            std::make_unique<WindowRig>(silent.slavePath(), settingsFile("COM1", "1", "1", "0"));
        Form2 &w = *rig->window;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QWidget *focused = QApplication::focusWidget(); // the period list's text field

        QTest::mousePress(ui(w).Command10, Qt::LeftButton);
        QVERIFY(rig->port.isOpen());
        QCOMPARE(backColour(ui(w).Command10), colours::kLightGreen);
        QTest::mousePress(ui(w).Command10, Qt::MiddleButton);
        QVERIFY(!rig->port.isOpen() && !w.indicators().timer3().isActive());
        QCOMPARE(backColour(ui(w).Command10), colours::kButtonFace);
        QCOMPARE(ui(w).Label14->text(), QStringLiteral("Platine Deconnectée"));

        // The window's shortcuts work whatever control has the focus: the one as the window
        // opens, then each kind of control.
        const QList<QWidget *> controls = {
            focused,      ui(w).libre, ui(w).Combo1->lineEdit(),        ui(w).Command4,
            ui(w).Check1, ui(w).Text1, ui(w).graphique->intervalField()};
        for (QWidget *control : controls) {
            QVERIFY(control);
            control->setFocus();
            const QByteArray name = control->metaObject()->className();
            QTest::keyClick(control, Qt::Key_E, Qt::ControlModifier);
            QVERIFY2(w.dialogue().busy(), name);
            QTest::keyClick(control, Qt::Key_Escape);
            QTRY_VERIFY2(!w.dialogue().busy(), name);
            QCOMPARE(ui(w).Label1->text(),
                     QStringLiteral("Opération interrompue : rien n'a été envoyé à la platine"));
            const qsizetype boxes = rig->desktop.messages.size();
            QTest::keyClick(control, Qt::Key_F1);
            QVERIFY2(rig->desktop.messages.size() == boxes + 1, name);
        }
        // The context-menu key on the focused button stops real-time reading; Shift+F10 on
        // "Connexion" disconnects.
        w.receive().ReplaceFlag = true;
        ui(w).lecture_badge->setFocus();
        QTest::keyClick(ui(w).lecture_badge, Qt::Key_Menu);
        QVERIFY(!w.receive().ReplaceFlag && rig->port.isOpen());
        ui(w).Command10->setFocus();
        QTest::keyClick(ui(w).Command10, Qt::Key_F10, Qt::ShiftModifier);
        QVERIFY(!rig->port.isOpen());
        QCOMPARE(ui(w).Label14->text(), QString("Platine Deconnectée"));
        // Space on "Connexion" connects, as its left press does.
        QTest::keyClick(ui(w).Command10, Qt::Key_Space);
        QVERIFY(rig->port.isOpen());
        QCOMPARE(backColour(ui(w).Command10), colours::kLightGreen);
        QTest::keyClick(ui(w).Command10, Qt::Key_Menu);
        QVERIFY(!rig->port.isOpen());

        // A click while an operation runs starts nothing, and says so. The waiting one counts the
        // seconds against its time-out meanwhile.
        QTest::mouseClick(ui(w).Command1, Qt::LeftButton);
        QCOMPARE(ui(w).Label1->text(), QStringLiteral("Attente de la platine… 0 s / 15 s"));
        QTRY_COMPARE_WITH_TIMEOUT(ui(w).Label1->text(),
                                  QStringLiteral("Attente de la platine… 1 s / 15 s"),
                                  Simulator::kPatienceMs);
        QTest::mouseClick(ui(w).lecture_badge, Qt::LeftButton);
        QCOMPARE(ui(w).Label1->text(), QStringLiteral("Une opération est déjà en cours"));
        // A right press on another operation's button stops the waiting one; before its command
        // that means nothing is sent and no success is claimed.
        QTest::mousePress(ui(w).Command8, Qt::RightButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.dialogue().busy(), Simulator::kPatienceMs);
        QCOMPARE(ui(w).Label1->text(),
                 QStringLiteral("Opération interrompue : rien n'a été envoyé à la platine"));
        QCOMPARE(ui(w).Label14->text(), QStringLiteral("..."));

        // A right press on the period caption starts a read-out, never an abort.
        QTest::mousePress(ui(w).gache, Qt::LeftButton);
        QVERIFY(!w.dialogue().busy());
        QTest::mousePress(ui(w).gache, Qt::RightButton);
        QVERIFY(w.dialogue().busy() && !w.dialogue().abortFlag());
        // Closed by the user: the operation ends first, then the window closes.
        w.close();
        QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), Simulator::kPatienceMs);
        QVERIFY(!w.dialogue().busy());
        // Dropped with the window: the waiting operation is run through to its end, not leaked.
        QTest::mouseClick(ui(w).Command8, Qt::LeftButton);
        QVERIFY(w.dialogue().busy());
        rig.reset();
        QVERIFY(silent.readAll().isEmpty());
    }

    void theLinkStatusAndTheFileLineSayWhatIsTrueNowInFrench() {
        NEEDS_BOARD_LINE();
        // A device that is no serial port, a folder: refused, and said why in French.
        QTemporaryDir folder;
        for (const auto &[device, reason] :
             {std::pair{QStringLiteral("/dev/null"), "ce n'est pas un port série"},
              std::pair{folder.path(), "c'est un dossier, pas un port série"}}) {
            WindowRig refused(device);
            QTest::mousePress(ui(*refused.window).Command10, Qt::LeftButton);
            QCOMPARE(ui(*refused.window).Label14->text(),
                     QString("Impossible d'ouvrir le port COM12 (%1) : %2.").arg(device, reason));
        }

        // The device goes and comes back (a restarted simulator): its link is missing at first.
        PseudoTerminal line;
        QVERIFY(line.open());
        const QString device = folder.filePath("ttyVolterne");
        WindowRig rig(device);
        Form2 &w = *rig.window;
        QTest::mousePress(ui(w).Command10, Qt::LeftButton);
        QVERIFY(ui(w).Label14->text().contains("périphérique introuvable"));
        QVERIFY(QFile::link(line.slavePath(), device));
        // Opened now, the port is said open: not the earlier failure, which no longer holds.
        QTest::mousePress(ui(w).Command10, Qt::LeftButton);
        QCOMPARE(backColour(ui(w).Command10), colours::kLightGreen);
        QCOMPARE(ui(w).Label14->text(), QString("Port COM12 (%1) ouvert").arg(device));
        QCOMPARE(w.indicators().linkColour(), colours::kBlue);

        // A recording opened, then an operation empties the receive areas for the board: the file
        // line no longer names the recording.
        const QString opened = rig.path("transfert_04122026.txt");
        QVERIFY(writeFile(opened, "0123 0456 0789 .\r\n"));
        rig.desktop.nextRecording = opened;
        QTest::mouseClick(ui(w).Command4, Qt::LeftButton);
        QVERIFY(ui(w).nom_fichier->text().startsWith("transfert_04122026.txt - "));
        QTest::mouseClick(ui(w).Command8, Qt::LeftButton);
        QVERIFY(w.dialogue().busy() && w.receive().receiveBuffer().isEmpty());
        QCOMPARE(ui(w).nom_fichier->text(), QString("..."));

        // The line goes while the operation waits: said in French, whatever the system says.
        line.close();
        QTRY_VERIFY_WITH_TIMEOUT(!w.dialogue().busy(), Simulator::kPatienceMs);
        QCOMPARE(ui(w).Label14->text(),
                 QString("Port COM12 (%1) perdu : le périphérique ne répond plus (lecture "
                         "impossible).")
                     .arg(device));
    }

    void closingTheWindowSavesWhatQuitterSavesOnce_data() {
        QTest::addColumn<QString>("end");   // "Quitter", "close button", or closed by the desktop
        QTest::addColumn<bool>("writable"); // the program's directory
        for (const bool writable : {true, false})
            for (const char *end : {"Quitter", "close button", "desktop"})
                QTest::addRow("%s%s", end, writable ? "" : ", not writable")
                    << QString(end) << writable;
    }

    void closingTheWindowSavesWhatQuitterSavesOnce() {
        QFETCH(QString, end);
        QFETCH(bool, writable);
        QTemporaryDir elsewhere;
        WindowRig rig(kNoDevice, settingsFile("COM1", "1", "0", "0"), QLocale::c(),
                      writable ? QString() : elsewhere.filePath("absent"));
        Form2 &w = *rig.window;
        int exits = 0;
        rig.exitProgram = [&] { ++exits; };
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        ui(w).Check1->setChecked(true);
        ui(w).libre->setText(QStringLiteral("250"));
        ui(w).Combo3->setCurrentIndex(3);
        ui(w).graphique->intervalField()->setText(QStringLiteral("1,5"));
        emit ui(w).graphique->intervalField()->textEdited(QStringLiteral("1,5"));
        ui(w).graphique->setBoardSwitch(4);

        if (end == "Quitter") {
            QTest::mouseClick(ui(w).Command6, Qt::LeftButton);
        } else if (end == "close button") {
            // From the window system, as the close button's: a failed save holds the window until
            // the user has closed the box that says so.
            QCloseEvent close;
            QSpontaneKeyEvent::setSpontaneous(&close);
            static_cast<QObject &>(w).event(&close); // sendEvent would make it the program's own
            QCOMPARE(close.isAccepted(), writable);
            if (writable) w.hide(); // what the window system does with an accepted close
        } else {
            w.close(); // as the desktop's session end closes it: never held up
            QVERIFY(!w.isVisible());
        }
        QTRY_VERIFY(!w.isVisible());
        QCOMPARE(exits, end == "Quitter" ? 1 : 0);
        if (writable) {
            QCOMPARE(readFile(rig.path("param.ini")),
                     "[COM]\r\nvaleur=COM1\r\n[temporisation]\r\nvaleur=250\r\n[select]\r\n"
                     "valeur=1\r\n[Index]\r\nvaleur=3\r\n[graphique]\r\nintervalle=1.5\r\n"
                     "[commutateur]\r\nvaleur=4\r\n");
            QVERIFY(rig.desktop.messages.isEmpty());
        } else { // said once, as "Quitter" says it, though "Quitter" closes the window too
            QCOMPARE(rig.desktop.messages.size(), 1);
            QVERIFY(rig.desktop.messages[0].startsWith(
                "Quitter|Les paramètres n'ont pas pu être enregistrés. "));
        }
    }

    void withTwoBoardsOnlyTheChosenOneIsReached() {
        NEEDS_BOARD_LINE();
        QTemporaryDir logs;
        const QString logA = logs.filePath("a.log"), logB = logs.filePath("b.log");
        Simulator a(kQuickBoard + QStringList{"--log", logA});
        Simulator b(kQuickBoard + QStringList{"--log", logB});
        QVERIFY(a.isRunning() && b.isRunning());
        QList<FoundPort> found{{a.devicePath(), "FT232R USB UART", true, "A1"},
                               {b.devicePath(), "FT232R USB UART", true, "B2"}};
        WindowRig rig(kNoDevice, settingsFile("COM1", "1", "0", "0"), QLocale::c(), {}, &found);
        Form2 &w = *rig.window;
        const int entryA = rig.ports->device(1) == a.devicePath() ? 1 : 2, entryB = 3 - entryA;
        const int patience = Simulator::kPatienceMs;

        // Another entry chosen while the port is open closes it; the next operation uses it.
        ui(w).Combo1->setCurrentIndex(entryA - 1);
        QTest::mousePress(ui(w).Command10, Qt::LeftButton);
        QVERIFY(rig.port.isOpen());
        ui(w).Combo1->setCurrentIndex(entryB - 1);
        QVERIFY(!rig.port.isOpen());
        QCOMPARE(backColour(ui(w).Command10), colours::kButtonFace);
        QCOMPARE(ui(w).Label14->text(),
                 QString("Port COM%1 (%2) fermé").arg(entryA).arg(a.devicePath()));
        QTest::mouseClick(ui(w).Command1, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.dialogue().busy(), patience);
        QCOMPARE(ui(w).Label1->text(), QString("RAZ Effectué"));
        QVERIFY(loggedHex(logA).isEmpty());
        QCOMPARE(loggedHex(logB), QByteArray("52 41 5A 01 01 01"));

        // While an operation runs, the choice is refused.
        QTest::mouseClick(ui(w).Command1, Qt::LeftButton);
        ui(w).Combo1->setCurrentIndex(entryA - 1);
        QCOMPARE(ui(w).Combo1->currentIndex(), entryB - 1);
        QCOMPARE(ui(w).Label1->text(), QString("Une opération est déjà en cours"));
        QTest::mousePress(ui(w).Command1, Qt::RightButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.dialogue().busy(), patience);

        // Board A's adapter is pulled out: its entry now resolves otherwise, and nothing is sent.
        ui(w).Combo1->setCurrentIndex(entryA - 1);
        found = {{b.devicePath(), "FT232R USB UART", true, "B2"}};
        const QByteArray sentToB = loggedHex(logB);
        QTest::mouseClick(ui(w).Command1, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.dialogue().busy(), patience);
        QVERIFY(!rig.port.isOpen());
        QCOMPARE(ui(w).Label14->text(),
                 QString("COM%1 désignait %2 (FT232R USB UART), absent : rebranchez l'adaptateur "
                         "ou choisissez un autre port. Ports présents : COM1 (%3).")
                     .arg(entryA)
                     .arg(a.devicePath(), b.devicePath()));
        QTest::qWait(300); // anything sent late would be in the log by now
        QCOMPARE(loggedHex(logB), sentToB);
    }

    void nothingMovesWithTheTextsAndNothingIsCutAtTheDefaultAndTheMinimumSize() {
        WindowRig rig(kNoDevice);
        Form2 &w = *rig.window;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QList<QPushButton *> buttons = ui(w).Frame1->findChildren<QPushButton *>();
        const auto places = [&] {
            QCoreApplication::sendPostedEvents(); // the layouts' requests
            w.layout()->activate();
            QList<QRect> rects{ui(w).Text1->geometry()};
            for (QPushButton *b : buttons)
                rects << QRect(b->mapTo(&w, QPoint()), b->size());
            return rects;
        };
        const QString longStatus =
            QString("Transfert interrompu (123456 octets enregistrés dans %1/%2.txt) : la platine "
                    "envoie peut-être encore la suite de sa mémoire, %3")
                .arg(QString(20, 'd'), QString(80, 'x'), QString("mot ").repeated(60));
        // It fits a 1024 × 600 screen with its title bar; smaller, it scrolls and clips nothing.
        QVERIFY(w.minimumWidth() <= 1024 && w.minimumHeight() <= 560);
        // At its default size, nothing scrolls (where letters have their widths).
        QCoreApplication::sendPostedEvents();
        w.layout()->activate();
        for (const QScrollArea *area : w.findChildren<QScrollArea *>())
            if (lettersAreDrawn())
                QVERIFY2(area->horizontalScrollBar()->maximum() == 0 &&
                             area->verticalScrollBar()->maximum() == 0,
                         qPrintable(QStringLiteral("%1: %2 × %3 beyond")
                                        .arg(area->objectName())
                                        .arg(area->horizontalScrollBar()->maximum())
                                        .arg(area->verticalScrollBar()->maximum())));
        for (const QSize size : {w.size(), w.minimumSize(), QSize(1024, 560), QSize(800, 500)}) {
            w.resize(size);
            w.indicators().setStatus("...");
            ui(w).nom_fichier->setText("...");
            const QList<QRect> before = places();
            w.indicators().setStatus(QString("mot ").repeated(30)); // wraps at its blanks
            QCOMPARE(places(), before);
            w.indicators().setStatus(longStatus);
            ui(w).nom_fichier->setText("transfert_05122026.txt - 05/12/2026 14:03:09 - " +
                                       QString(200, '9') + " oct");
            QCOMPARE(places(), before);
            w.grab(); // painted: what does not fit is in the tip
            QCOMPARE(ui(w).Label1->toolTip(), longStatus);
            QCOMPARE(ui(w).nom_fichier->toolTip(), ui(w).nom_fichier->text());
            // A line of the EEPROM grid is seen whole, and every caption.
            QVERIFY(ui(w).Text1->viewport()->width() >=
                    ui(w).Text1->fontMetrics().horizontalAdvance(QString(47, 'F')));
            for (QWidget *captioned : w.findChildren<QWidget *>())
                if (qobject_cast<QPushButton *>(captioned) || captioned == ui(w).gache)
                    QVERIFY(captioned->width() >= captioned->sizeHint().width());
        }
        w.indicators().setStatus("RAZ Effectué");
        w.grab();
        QCOMPARE(ui(w).Label1->toolTip(), QString()); // whole, no tip needed
        QCOMPARE(ui(w).Combo1->maxVisibleItems(), 12);
    }

    void theFiveOperationsRunAgainstTheBoard() {
        NEEDS_BOARD_LINE();
        // The board serves sample lines and every byte value as its memory, keeps it through the
        // RAZ and splits its end texts in two bursts.
        QTemporaryDir served;
        QByteArray memory;
        for (int i = 0; i < 300; ++i)
            memory += QString::asprintf("%04X %04X %04X .\r\n", i, 2 * i, 4095 - i).toLatin1();
        memory += allBytes().repeated(4);
        QVERIFY(writeFile(served.filePath("memory.bin"), memory));
        Simulator board(kQuickBoard + QStringList{"--serve", served.filePath("memory.bin"),
                                                  "--keep-memory", "--fault", "split-end",
                                                  "--live-ms", "100"});
        QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
        // Voie1 rises above 800 at its 10th live sample and falls back at its 17th.
        WindowRig rig(board.devicePath(),
                      "[commutateur]\r\nvaleur=3\r\n[voies]\r\nlimites1=;800\r\n");
        Form2 &w = *rig.window;
        const SampleSeries &shown = ui(w).graphique->series();
        const auto samplesOf = [](const QByteArray &text) {
            SampleSeries series;
            series.setText(text);
            return series;
        };
        const auto sameSamples = [](const SampleSeries &a, const SampleSeries &b) {
            if (a.size() != b.size()) return false;
            for (int c = 0; c < kChannels; ++c)
                if (!std::equal(a.channel(c), a.channel(c) + a.size(), b.channel(c))) return false;
            return true;
        };
        const int patience = Simulator::kPatienceMs;

        const QDateTime reset(QDate(2026, 12, 5), QTime(9, 0, 0));
        rig.wallClock = reset;
        QTest::mouseClick(ui(w).Command1, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.dialogue().busy(), patience);
        QCOMPARE(ui(w).Label1->text(), QStringLiteral("RAZ Effectué"));
        rig.wallClock = reset.addSecs(5 * 3600);

        // A second download of the day keeps the first as -1.
        QVERIFY(writeFile(rig.path("transfert_05122026.txt"), "premier\r\n"));
        // The status says where the recording went, the home folder written "~".
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(rig.directory.path()));
        QTest::mouseClick(ui(w).Command3, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.dialogue().busy(), patience);
        qputenv("HOME", home);
        // It says how many samples came, as many as the chart shows; the file line names the
        // recording the receive area holds.
        QCOMPARE(ui(w).Label1->text(),
                 QStringLiteral("Transfert Effecué, enregistré dans ~/transfert_05122026.txt, %1 "
                                "échantillons")
                     .arg(shown.size()));
        QCOMPARE(ui(w).nom_fichier->text(),
                 recordingCaption(QFileInfo(rig.path("transfert_05122026.txt")), QLocale::c()));
        const QByteArray recording = readFile(rig.path("transfert_05122026.txt"));
        QCOMPARE(recording, w.receive().receiveBuffer() + "\r\n");
        QCOMPARE(rig.desktop.saveQuestions, 0);
        QVERIFY2(recording.startsWith(memory + "Effectue\r\n"), "the memory arrives unchanged");
        QCOMPARE(readFile(rig.path("transfert_05122026-1.txt")), "premier\r\n");
        // Its facts: the board it came from, and its start at the board's confirmed RAZ.
        const std::optional<RecordingFacts> facts =
            RecordingFacts::read(rig.path("transfert_05122026.ini"));
        QVERIFY(facts);
        QCOMPARE(std::tuple(facts->recorded, facts->start, facts->startOrigin, facts->port,
                            facts->device, facts->boardSwitch),
                 std::tuple(reset.addSecs(5 * 3600), reset, StartOrigin::LastReset,
                            QString("COM12"), board.devicePath(), 3)); // the entry in use
        // Given an interval, each row of the measures has its date and time from the RAZ on.
        QTest::keyClicks(ui(w).graphique->intervalField(), "2");
        rig.desktop.nextMeasuresLocation = rig.path("mesures.csv");
        ui(w).graphique->exportMeasuresButton()->click();
        QTRY_VERIFY(QFileInfo::exists(rig.path("mesures.csv")));
        const QByteArrayList rows = readFile(rig.path("mesures.csv")).split('\n');
        QCOMPARE(rows.mid(1, 2), QByteArrayList({"0;2026-12-05 09:00:00;0;0;4095\r",
                                                 "2;2026-12-05 09:00:02;1;2;4094\r"}));
        QCOMPARE(RecordingFacts::read(rig.path("transfert_05122026.ini"))->interval, 2.0);
        // The chart grew chunk by chunk into the samples of the whole recording.
        QVERIFY(shown.size() >= 300 && sameSamples(shown, samplesOf(w.receive().receiveBuffer())));

        QTest::mousePress(ui(w).gache, Qt::RightButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.dialogue().busy(), patience);
        QCOMPARE(ui(w).Label1->text(), QStringLiteral("Transfert EEPROM Interne Effecué"));
        QVERIFY(w.receive().receiveBuffer().contains("eeprom"));
        QCOMPARE(QDir(rig.directory.path()).entryList(QDir::Files).size(), 5); // no file of its own
        QVERIFY(shown.isEmpty()); // the read-out holds no sample line
        QCOMPARE(ui(w).nom_fichier->text(), QString("..."));

        // A free value whose code holds a NUL byte: 256 goes out as 00 01 01. Confirmed, it gives
        // the chart its interval with the switch kept from before.
        ui(w).Check1->setChecked(true);
        ui(w).libre->setText(QStringLiteral("256"));
        QTest::mouseClick(ui(w).Command8, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.dialogue().busy(), patience);
        QVERIFY(w.receive().receiveBuffer().startsWith("Periode=256"));
        QCOMPARE(ui(w).graphique->interval(), 384.0);
        // The board's programming is noted under its identity, beside its RAZ.
        const BoardHistory noted =
            BoardHistory::read(Profile(rig.path("param.ini")), board.devicePath());
        QCOMPARE(std::tuple(noted.lastReset, noted.lastProgramming, noted.period),
                 std::tuple(reset, reset.addSecs(5 * 3600), std::optional<quint16>(256)));
        QCOMPARE(ui(w).graphique->intervalField()->toolTip(),
                 "Intervalle tiré de la programmation : période 256 × 0,5 s × commutateur 3");

        ui(w).graphique->setLiveCapacity(8);
        QTest::mouseClick(ui(w).lecture_badge, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.dialogue().busy(), patience);
        QCOMPARE(ui(w).Label1->text(), QStringLiteral("Temps reel actif"));
        // Ticked from now on, what is received while live goes to a file of its own.
        QByteArray stream;
        connect(&w.receive(), &ReceivePath::chunkReceived, this, [&](const QByteArray &chunk) {
            if (w.receive().ReplaceFlag) stream += chunk;
        });
        QStringList statuses;
        connect(&w.indicators(), &Indicators::changed, this, [&] {
            if (statuses.value(statuses.size() - 1) != w.indicators().status())
                statuses << w.indicators().status();
        });
        ui(w).graphique->keepLiveBox()->setChecked(true);
        QTRY_VERIFY_WITH_TIMEOUT(
            stream.count('.') > 12 && w.receive().receiveBuffer().endsWith(" .\r\n"), patience);
        QCOMPARE(w.receive().receiveBuffer(), w.receive().latestChunk());
        const QString kept = w.liveKeeper().path();
        QCOMPARE(statuses.value(0),
                 "Temps reel actif, lecture enregistrée dans " + filereason::shownPath(kept));
        QVERIFY(QRegularExpression("/temps_reel_\\d{8}_\\d{6}\\.txt$").match(kept).hasMatch());
        // Out of its limit and back, each said once, in the status line, on the chart and in the
        // reading's facts.
        const QStringList excursion{"Voie1 au-dessus de 800 depuis 14:00:00",
                                    "Voie1 de nouveau dans ses limites depuis 14:00:00"};
        QTRY_COMPARE_WITH_TIMEOUT(ui(w).graphique->chartNote()->text(), excursion[1], patience);
        QCOMPARE(statuses.mid(1), excursion);
        QTest::mousePress(ui(w).lecture_badge, Qt::RightButton);
        QVERIFY(!w.liveKeeper().isOpen());
        const std::optional<RecordingFacts> liveFacts = RecordingFacts::read(factsPath(kept));
        QVERIFY(liveFacts && liveFacts->live && !liveFacts->arrivals.isEmpty());
        QCOMPARE(liveFacts->excursions, excursion);
        // The chart held a rolling window of the last samples of the stream, not just the last
        // chunk.
        SampleSeries expected = samplesOf(stream);
        expected.setCapacity(8);
        QVERIFY(shown.size() == 8 && sameSamples(shown, expected));
        const QByteArray frozen = w.receive().receiveBuffer();
        QSignalSpy chunks(&w.receive(), &ReceivePath::latestChunkChanged);
        QTRY_VERIFY_WITH_TIMEOUT(chunks.count() >= 2, patience);
        QCOMPARE(w.receive().receiveBuffer(), frozen);
        QCOMPARE(readFile(kept), stream); // and no longer kept

        // The switch stays for the next start.
        w.Command6_Click();
        QVERIFY(readFile(rig.path("param.ini")).contains("[commutateur]\r\nvaleur=3\r\n"));
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
