// The real window, offscreen: its elements, start-up and "Quitter", the period choice, the link,
// the presses on the operation buttons, and the five operations against the board simulator.
#include "app/byteview.h"
#include "app/colours.h"
#include "app/timetext.h"
#include "link/pseudoterminal.h"
#include "rig.h"
#include "simulator.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {
const QString kFormulaTip = QStringLiteral("Période = valeur * 0.5 * switch (1 à 7)");
const QString kEstablished = QStringLiteral("Connexion établie avec la platine");

QByteArray settingsFile(const QByteArray &com, const QByteArray &free, const QByteArray &select,
                        const QByteArray &index) {
    return "[COM]\r\nvaleur=" + com + "\r\n[temporisation]\r\nvaleur=" + free +
           "\r\n[select]\r\nvaleur=" + select + "\r\n[Index]\r\nvaleur=" + index + "\r\n";
}
} // namespace

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void everyElementHasItsDesignNameCaptionAndTip_data();
    void everyElementHasItsDesignNameCaptionAndTip();
    void startStatesTimersAndAccessibleNamesAreAsDesigned();
    void startUpRestoresTheSettings_data();
    void startUpRestoresTheSettings();
    void quitterWritesTheSettingsAndKeepsTheRestOfTheFile();
    void aFreshSettingsFileHasExactlyEightLines();
    void freeValueTipFollowsTheLocaleAndTheCap_data();
    void freeValueTipFollowsTheLocaleAndTheCap();
    void aSendWithAnInvalidFreeValueIsRefused();
    void connexionOpensAndClosesThePortAndLinkProblemsAreReported();
    void mouseDownsFollowTheOperationButtonRules();
    void theReceiveAreaShowsBytesOneCharacterEach();
    void theCreditAndTheLinkOpenTheSameAboutBox();
    void theClockShowsTheTimeOfDayWithoutTimeZone();
    void closingTheWindowWhileAnOperationWaitsEndsCleanly();
    void theFiveOperationsRunAgainstTheBoard();
};

void WindowTest::everyElementHasItsDesignNameCaptionAndTip_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tip");
    const auto row = [](const char *name, const char *caption, const char *tip = "") {
        QTest::newRow(name) << QString(name) << QString(caption) << QString(tip);
    };
    row("Command4", "Ouvrir", "Ouverture d'un fichier enregistré");
    row("Command1", "RAZ mémoire", "Raz complet de la mémoire EEPROM externe");
    row("Command3", "Téléchargement mémoire", "Téléchargement");
    row("Command8", "Envoi programmation",
        "Envoi de la programmation de la période d'acquisition vers le PIC");
    row("Command10", "Connexion", "Click droit pour déconnecter");
    row("Command6", "Quitter", "Quitter l'application");
    row("lecture_badge", "Lecture en temps réel", "Mode lecture temps réel");
    row("Command2", "Conversion Fichier", "Convertion et ouverture d'un fichier tableur");
    row("Label16", "A propos de ...");
    row("Label7", "Brisquet");
    row("Label14", "Platine Deconnectée");
    row("gache", "Périodes d'acquisition :");
    row("Label6", "Port COM");
    row("Label1", "...");
    row("Label4", "/");
    row("Label5", "....");
    row("defile", "...");
    row("nom_fichier", "...");
    row("Check1", "Libre");
    row("Frame3", "Parametrage");
    row("Frame1", "Commandes");
    row("Frame4", "");
}

void WindowTest::everyElementHasItsDesignNameCaptionAndTip() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, tip);
    WindowRig rig(kNoDevice);
    auto *element = rig.window->findChild<QWidget *>(name);
    QVERIFY(element);
    QString shown;
    if (auto *button = qobject_cast<QAbstractButton *>(element))
        shown = button->text();
    else if (auto *label = qobject_cast<QLabel *>(element))
        shown = label->text();
    else if (auto *group = qobject_cast<QGroupBox *>(element))
        shown = group->title();
    QCOMPARE(shown, caption);
    QCOMPARE(element->toolTip(), tip);
}

void WindowTest::startStatesTimersAndAccessibleNamesAreAsDesigned() {
    WindowRig rig(kNoDevice);
    Form2 &w = *rig.window;
    QCOMPARE(w.windowTitle(), QStringLiteral("Ondrelle  Volterne"));
    QCOMPARE(w.Timer1->interval(), 800);
    QVERIFY(w.Timer1->isActive());
    QCOMPARE(w.receive().timer2().interval(), 100);
    QVERIFY(!w.receive().timer2().isActive());
    QCOMPARE(w.indicators().timer3().interval(), 500);
    QVERIFY(w.indicators().timer3().isActive());
    QCOMPARE(w.Combo1->count(), 12);
    QCOMPARE(w.Combo1->itemText(11), QStringLiteral("COM12"));
    QCOMPARE(w.Combo3->count(), 5);
    for (int i = 0; i < w.Combo3->count(); ++i)
        QCOMPARE(w.Combo3->itemText(i).size(), 18);
    QCOMPARE(w.libre->toolTip(), kFormulaTip);
    QVERIFY(!w.libre->isEnabled());
    const std::pair<QWidget *, const char *> names[] = {{w.Text1, "Données reçues"},
                                                        {w.Text2, "Dernier bloc reçu"},
                                                        {w.libre, "Valeur libre"},
                                                        {w.Combo1, "Port COM"},
                                                        {w.Combo3, "Période d'acquisition"}};
    for (const auto &[widget, name] : names)
        QCOMPARE(widget->accessibleName(), QString(name));
}

void WindowTest::startUpRestoresTheSettings_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("free");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<int>("index");
    const auto row = [](const char *name, const QByteArray &file, const char *port,
                        const char *free, bool ticked, int index) {
        QTest::newRow(name) << file << QString(port) << QString(free) << ticked << index;
    };
    row("no file", {}, "COM12", "", false, 0);
    row("COM10, ticked, last range", settingsFile("COM10", "40000", "1", "4"), "COM10", "40000",
        true, 4);
    row("lower-case port name matches nothing", settingsFile("com3", "8", "0", "2"), "COM12", "8",
        false, 2);
    row("no range selected", settingsFile("COM2", "1", "0", "-1"), "COM2", "1", false, -1);
    row("index out of range, select not a number", settingsFile("COM1", "1", "abc", "7"), "COM1",
        "1", false, 0);
    row("long free value cut to nine characters", settingsFile("COM1", "1.2345678901", "1", "0"),
        "COM1", "1.2345678", true, 0);
}

void WindowTest::startUpRestoresTheSettings() {
    QFETCH(QByteArray, file);
    QFETCH(QString, port);
    QFETCH(QString, free);
    QFETCH(bool, ticked);
    QFETCH(int, index);
    WindowRig rig(kNoDevice, file);
    Form2 &w = *rig.window;
    QCOMPARE(w.Combo1->currentText(), port);
    QCOMPARE(rig.port.portNumber(), port.mid(3).toInt());
    QCOMPARE(w.libre->text(), free);
    QCOMPARE(w.Check1->isChecked(), ticked);
    QCOMPARE(w.libre->isEnabled(), ticked);
    QCOMPARE(w.Combo3->currentIndex(), index);
}

void WindowTest::quitterWritesTheSettingsAndKeepsTheRestOfTheFile() {
    const QByteArray before = "; réglages de l'atelier\r\n[ports]\r\nCOM3=/dev/ttyUSB0\r\n"
                              "[com]\r\nvaleur=COM1\r\n[Index]\r\nvaleur=2\r\n[autre]\r\nx=y\r\n";
    WindowRig rig(kNoDevice, before);
    Form2 &w = *rig.window;
    w.Combo1->setCurrentIndex(2);
    w.Check1->setChecked(true);
    w.libre->setText(QStringLiteral("250"));
    w.Combo3->setCurrentIndex(-1);
    w.Command6_Click();

    const QByteArray after = readFile(rig.path("param.ini"));
    QCOMPARE(after,
             "; réglages de l'atelier\r\n[ports]\r\nCOM3=/dev/ttyUSB0\r\n[com]\r\nvaleur=COM3"
             "\r\n[Index]\r\nvaleur=-1\r\n[autre]\r\nx=y\r\n[temporisation]\r\nvaleur=250"
             "\r\n[select]\r\nvaleur=1\r\n");
    WindowRig again(kNoDevice, after);
    QCOMPARE(again.window->Combo1->currentText(), QStringLiteral("COM3"));
    QCOMPARE(again.window->Combo3->currentIndex(), -1);
    QVERIFY(again.window->Check1->isChecked());
    QCOMPARE(again.window->libre->text(), QStringLiteral("250"));
}

void WindowTest::aFreshSettingsFileHasExactlyEightLines() {
    WindowRig rig(kNoDevice);
    Form2 &w = *rig.window;
    w.Combo1->setCurrentIndex(2);
    w.libre->setText(QStringLiteral("1"));
    w.Command6_Click();
    QCOMPARE(readFile(rig.path("param.ini")),
             QByteArray("[COM]\r\nvaleur=COM3\r\n[temporisation]\r\nvaleur=1\r\n"
                        "[select]\r\nvaleur=0\r\n[index]\r\nvaleur=0\r\n"));
}

void WindowTest::freeValueTipFollowsTheLocaleAndTheCap_data() {
    QTest::addColumn<bool>("french");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("tip");
    const auto row = [](const char *name, bool french, const char *typed, const char *kept,
                        const char *tip) {
        QTest::newRow(name) << french << QString(typed) << QString(kept) << QString(tip);
    };
    row("1", false, "1", "1", "Période = 0.5 sec à 3.5 sec");
    row("1, French", true, "1", "1", "Période = 0,5 sec à 3,5 sec");
    row("8, French", true, "8", "8", "Période = 4 sec à 28 sec");
    row("65534", false, "65534", "65534", "Période = 32767 sec à 229369 sec");
    row("65534, French, no group separator", true, "65534", "65534",
        "Période = 32767 sec à 229369 sec");
    row("70000 capped", false, "70000", "65534", "Période = 32767 sec à 229369 sec");
    row("70000 capped, French", true, "70000", "65534", "Période = 32767 sec à 229369 sec");
    row("0.1 to fifteen digits", false, "0.1", "0.1", "Période = 0.05 sec à 0.35 sec");
    row("not a number keeps the tip", false, "abc", "abc",
        "Période = valeur * 0.5 * switch (1 à 7)");
}

void WindowTest::freeValueTipFollowsTheLocaleAndTheCap() {
    QFETCH(bool, french);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QFETCH(QString, tip);
    WindowRig rig(kNoDevice, settingsFile("COM1", "", "1", "0"),
                  french ? QLocale(QLocale::French, QLocale::France) : QLocale::c());
    QCOMPARE(rig.window->libre->toolTip(), kFormulaTip);
    rig.window->libre->setText(typed);
    QCOMPARE(rig.window->libre->text(), kept);
    QCOMPARE(rig.window->libre->toolTip(), tip);
}

void WindowTest::aSendWithAnInvalidFreeValueIsRefused() {
    WindowRig rig(kNoDevice, settingsFile("COM1", "1", "1", "0"));
    Form2 &w = *rig.window;
    w.PeriodValue = 8;
    w.libre->setText(QString());
    QTest::mouseClick(w.Command8, Qt::LeftButton);
    QVERIFY(!w.dialogue().busy());
    QCOMPARE(w.PeriodValue, quint16(8));
    QVERIFY(w.Label1->text().contains(QStringLiteral("invalide")));
    QVERIFY(!rig.port.isOpen());
}

void WindowTest::connexionOpensAndClosesThePortAndLinkProblemsAreReported() {
    PseudoTerminal terminal;
    QString problem;
    QVERIFY2(terminal.open(&problem), qPrintable(problem));
    WindowRig rig(terminal.slavePath());
    Form2 &w = *rig.window;
    QCOMPARE(w.Combo1->toolTip(), terminal.slavePath());
    QTest::mousePress(w.Command10, Qt::LeftButton);
    QVERIFY(rig.port.isOpen());
    QCOMPARE(backColour(w.Command10), colours::kLightGreen);
    QTest::mousePress(w.Command10, Qt::MiddleButton);
    QVERIFY(!rig.port.isOpen());
    QCOMPARE(backColour(w.Command10), colours::kButtonFace);
    QVERIFY(!w.indicators().timer3().isActive());
    QCOMPARE(w.Label14->text(), QStringLiteral("Platine Deconnectée"));
    QCOMPARE(w.indicators().linkColour(), colours::kBlue);

    // The adapter is unplugged while the port is open.
    QTest::mousePress(w.Command10, Qt::LeftButton);
    terminal.close();
    QTRY_VERIFY2(w.Label14->text().contains(QStringLiteral("perdu")),
                 qPrintable(w.Label14->text()));
    QVERIFY(!rig.port.isOpen());

    WindowRig missing(kNoDevice);
    QTest::mousePress(missing.window->Command10, Qt::LeftButton);
    QVERIFY(!missing.port.isOpen());
    const QString said = missing.window->Label14->text();
    QVERIFY2(said.contains(QStringLiteral("COM12")) && said.contains(kNoDevice) &&
                 said.contains(QStringLiteral("introuvable")),
             qPrintable(said));
}

void WindowTest::mouseDownsFollowTheOperationButtonRules() {
    WindowRig rig(kNoDevice);
    Form2 &w = *rig.window;
    w.receive().AppendFlag = 1;
    w.receive().ReplaceFlag = 1;
    QTest::mousePress(w.Command1, Qt::MiddleButton);
    QCOMPARE(backColour(w.Command1), colours::kButtonFace);
    QTest::mousePress(w.Command8, Qt::LeftButton);
    QCOMPARE(backColour(w.Command8), colours::kLightCyan);
    QCOMPARE(w.dialogue().abortFlag(), qint16(0));
    QTest::mousePress(w.Command3, Qt::RightButton);
    QCOMPARE(w.receive().AppendFlag, qint16(0));
    QCOMPARE(w.receive().ReplaceFlag, qint16(1));
    QCOMPARE(w.dialogue().abortFlag(), qint16(1));
    QCOMPARE(backColour(w.Command3), colours::kButtonFace);
    QTest::mousePress(w.lecture_badge, Qt::RightButton);
    QCOMPARE(w.receive().ReplaceFlag, qint16(0));

    // A right press on another operation's button ends a waiting operation; with no board, the
    // reset then runs on to its end and sends to a closed port, which is reported.
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    QVERIFY(w.dialogue().busy());
    QTest::mousePress(w.Command8, Qt::RightButton);
    QTRY_VERIFY(!w.dialogue().busy());
    QCOMPARE(w.Label1->text(), QStringLiteral("RAZ Effectué"));
    QVERIFY2(w.Label14->text().contains(QStringLiteral("rien n'a été envoyé")),
             qPrintable(w.Label14->text()));

    // A right press on the period caption starts a read-out, never an abort.
    QTest::mousePress(w.gache, Qt::LeftButton);
    QVERIFY(!w.dialogue().busy());
    QTest::mousePress(w.gache, Qt::RightButton);
    QVERIFY(w.dialogue().busy());
    QCOMPARE(w.dialogue().abortFlag(), qint16(0));
}

void WindowTest::theReceiveAreaShowsBytesOneCharacterEach() {
    WindowRig rig(kNoDevice);
    Form2 &w = *rig.window;
    const QByteArray bytes = QByteArray("0123 0456 0789 .\r\n").repeated(40) + allBytes();
    w.receive().setReceiveBuffer(bytes.left(100));
    w.receive().AppendFlag = 1;
    w.receive().setLatestChunk(bytes.mid(100));

    // The caret position shown after a click is a byte offset in the buffer.
    QCOMPARE(w.Text1->textCursor().position(), bytes.size());
    QTextCursor cursor = w.Text1->textCursor();
    cursor.setPosition(18 * 17 + 5);
    w.Text1->setTextCursor(cursor);
    w.Text1_Click();
    QCOMPARE(w.Text1->toolTip(), QString::number(18 * 17 + 5));

    // Copying gives the bytes themselves.
    w.Text1->selectAll();
    w.Text1->copy();
    QCOMPARE(QGuiApplication::clipboard()->text().toLatin1(), bytes);
}

void WindowTest::theCreditAndTheLinkOpenTheSameAboutBox() {
    WindowRig rig(kNoDevice);
    QTest::mouseClick(rig.window->Label7, Qt::LeftButton);
    QTest::mouseClick(rig.window->Label16, Qt::LeftButton);
    QTest::mouseClick(rig.window->Label16, Qt::RightButton);
    const QStringList &said = rig.desktop.messages;
    QCOMPARE(said.size(), 2);
    QCOMPARE(said[0], said[1]);
    QVERIFY(said[0].startsWith(QStringLiteral("Ondrelle|Site auteur : http")));
    QVERIFY(said[0].endsWith(QLatin1Char(' ')));
}

void WindowTest::theClockShowsTheTimeOfDayWithoutTimeZone() {
    const QTime time(14, 5, 9);
    QCOMPARE(timeOfDayText(time, QLocale(QLocale::French, QLocale::France)), QString("14:05:09"));
    QCOMPARE(timeOfDayText(time, QLocale(QLocale::English, QLocale::UnitedStates)),
             QString("2:05:09 PM"));
    WindowRig rig(kNoDevice);
    QTRY_VERIFY(rig.window->defile->text().count(QLatin1Char(':')) == 2);
}

void WindowTest::closingTheWindowWhileAnOperationWaitsEndsCleanly() {
    PseudoTerminal terminal; // a line on which nothing ever answers
    QVERIFY(terminal.open());
    auto rig = std::make_unique<WindowRig>(terminal.slavePath());
    QTest::mouseClick(rig->window->Command1, Qt::LeftButton);
    QVERIFY(rig->window->dialogue().busy());
    QTest::qWait(300);
    rig->window->close();
    rig.reset(); // the waiting operation is dropped with the window
    QTest::qWait(300);
}

void WindowTest::theFiveOperationsRunAgainstTheBoard() {
    // The board serves every byte value as its memory and splits its end texts over two bursts.
    QTemporaryDir served;
    const QByteArray memory = allBytes().repeated(4);
    const QString memoryFile = served.filePath("memory.bin");
    QVERIFY(writeFile(memoryFile, memory));
    Simulator board(kQuickBoard +
                    QStringList{"--serve", memoryFile, "--fault", "split-end", "--live-ms", "300"});
    QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
    WindowRig rig(board.devicePath());
    Form2 &w = *rig.window;
    const int patience = Simulator::kPatienceMs;

    QTest::mouseClick(w.Command1, Qt::LeftButton);
    QCOMPARE(backColour(w.Command1), colours::kLightCyan);
    QTRY_COMPARE_WITH_TIMEOUT(w.Label1->text(), QStringLiteral("RAZ Mémoire en cours ..."),
                              patience);
    QCOMPARE(w.Label14->text(), kEstablished);
    QTRY_VERIFY_WITH_TIMEOUT(!w.dialogue().busy(), patience);
    QCOMPARE(w.Label1->text(), QStringLiteral("RAZ Effectué"));
    QVERIFY(w.Label5->text().startsWith(QStringLiteral("00:00:0")));

    QTest::mouseClick(w.Command3, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!w.dialogue().busy(), patience);
    QCOMPARE(w.Label1->text(), QStringLiteral("Transfert Effecué"));
    const QByteArray recording = readFile(rig.path("transfert_05122026.txt"));
    QCOMPARE(recording, w.receive().receiveBuffer() + "\r\n");
    QVERIFY2(recording.startsWith(memory + "Effectue\r\n"), "the memory arrives unchanged");

    QTest::mousePress(w.gache, Qt::RightButton);
    QTRY_VERIFY_WITH_TIMEOUT(!w.dialogue().busy(), patience);
    QCOMPARE(w.Label1->text(), QStringLiteral("Transfert EEPROM Interne Effecué"));
    QVERIFY(w.receive().receiveBuffer().contains("eeprom"));
    QCOMPARE(QDir(rig.directory.path()).entryList(QDir::Files),
             QStringList{"transfert_05122026.txt"});

    // A free value whose code holds a NUL byte: 256 goes out as 00 01 01.
    w.Check1->setChecked(true);
    w.libre->setText(QStringLiteral("256"));
    QTest::mouseClick(w.Command8, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!w.dialogue().busy(), patience);
    QVERIFY2(w.receive().receiveBuffer().startsWith("Periode=256"),
             w.receive().receiveBuffer().constData());
    QCOMPARE(w.PeriodValue, quint16(256));

    QTest::mouseClick(w.lecture_badge, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!w.dialogue().busy(), patience);
    QCOMPARE(w.Label1->text(), QStringLiteral("Temps reel actif"));
    QTRY_VERIFY_WITH_TIMEOUT(w.receive().receiveBuffer().endsWith(" .\r\n"), patience);
    QCOMPARE(w.receive().receiveBuffer(), w.receive().latestChunk());
    QTest::mousePress(w.lecture_badge, Qt::RightButton);
    const QByteArray frozen = w.receive().receiveBuffer();
    QSignalSpy chunks(&w.receive(), &ReceivePath::latestChunkChanged);
    QTRY_VERIFY_WITH_TIMEOUT(chunks.count() >= 2, patience);
    QCOMPARE(w.receive().receiveBuffer(), frozen);
}

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
