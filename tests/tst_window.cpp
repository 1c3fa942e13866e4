// The real window, offscreen, against the board simulator on a pseudo-terminal.
#include "app/byteview.h"
#include "app/colours.h"
#include "app/form2.h"
#include "app/timetext.h"
#include "fakedesktop.h"
#include "link/clock.h"
#include "link/serialtransport.h"
#include "simulator.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
constexpr int kBoardPatienceMs = 30000;
const QStringList kQuickBoard = {QStringLiteral("--cycle-ms"),  QStringLiteral("700"),
                                 QStringLiteral("--gap-ms"),    QStringLiteral("260"),
                                 QStringLiteral("--erase-ms"),  QStringLiteral("400"),
                                 QStringLiteral("--line-rate"), QStringLiteral("0")};

quint32 backColour(QWidget *widget) {
    return widget->property("backColour").toUInt();
}

// A window whose COM1 is the given device, with files in a temporary directory.
struct Bench {
    explicit Bench(const QString &device)
        : port([device](int number) {
              return number == 1 ? device : QStringLiteral("/dev/volterne-missing-%1").arg(number);
          }) {
        Form2Parts parts{&port, &clock, &desktop, directory.path()};
        parts.today = [] { return QDate(2026, 12, 5); };
        window = std::make_unique<Form2>(parts);
        window->Form_Load();
        window->Combo1->setCurrentIndex(0);
    }
    QTemporaryDir directory;
    SteadyClock clock;
    FakeDesktop desktop;
    SerialTransport port;
    std::unique_ptr<Form2> window;
};
} // namespace

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void everyElementHasItsDesignNameCaptionAndStartState_data();
    void everyElementHasItsDesignNameCaptionAndStartState();
    void timersAndStartStatesAreAsDesigned();
    void connexionOpensAndClosesTheRealPort();
    void aPortThatCannotBeOpenedIsReportedAndNothingStops();
    void mouseDownsFollowTheOperationButtonRules();
    void memoryResetRunsAgainstTheBoard();
    void downloadLandsByteExactInTheDatedRecording();
    void liveReadingReplacesTheReceiveAreaUntilTheRightPress();
    void eepromReadOutAndPeriodProgrammingAgainstTheBoard();
    void closingTheWindowWhileAnOperationWaitsEndsCleanly();
    void theReceiveAreaShowsBytesOneCharacterEach();
    void theCreditAndTheLinkOpenTheSameAboutBox();
    void theClockShowsTheTimeOfDayWithoutTimeZone();
};

void WindowTest::everyElementHasItsDesignNameCaptionAndStartState_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tip");
    QTest::newRow("Command4") << "Command4"
                              << "Ouvrir"
                              << "Ouverture d'un fichier enregistré";
    QTest::newRow("Command1") << "Command1"
                              << "RAZ mémoire"
                              << "Raz complet de la mémoire EEPROM externe";
    QTest::newRow("Command3") << "Command3"
                              << "Téléchargement mémoire"
                              << "Téléchargement";
    QTest::newRow("Command8")
        << "Command8"
        << "Envoi programmation"
        << "Envoi de la programmation de la période d'acquisition vers le PIC";
    QTest::newRow("Command10") << "Command10"
                               << "Connexion"
                               << "Click droit pour déconnecter";
    QTest::newRow("Command6") << "Command6"
                              << "Quitter"
                              << "Quitter l'application";
    QTest::newRow("lecture_badge") << "lecture_badge"
                                   << "Lecture en temps réel"
                                   << "Mode lecture temps réel";
    QTest::newRow("Command2") << "Command2"
                              << "Conversion Fichier"
                              << "Convertion et ouverture d'un fichier tableur";
    QTest::newRow("Label16") << "Label16"
                             << "A propos de ..."
                             << "";
    QTest::newRow("Label7") << "Label7"
                            << "Brisquet"
                            << "";
    QTest::newRow("Label14") << "Label14"
                             << "Platine Deconnectée"
                             << "";
    QTest::newRow("gache") << "gache"
                           << "Périodes d'acquisition :"
                           << "";
    QTest::newRow("Label6") << "Label6"
                            << "Port COM"
                            << "";
    QTest::newRow("Label1") << "Label1"
                            << "..."
                            << "";
    QTest::newRow("Label4") << "Label4"
                            << "/"
                            << "";
    QTest::newRow("Label5") << "Label5"
                            << "...."
                            << "";
    QTest::newRow("defile") << "defile"
                            << "..."
                            << "";
    QTest::newRow("nom_fichier") << "nom_fichier"
                                 << "..."
                                 << "";
    QTest::newRow("Check1") << "Check1"
                            << "Libre"
                            << "";
    QTest::newRow("Frame3") << "Frame3"
                            << "Parametrage"
                            << "";
    QTest::newRow("Frame1") << "Frame1"
                            << "Commandes"
                            << "";
    QTest::newRow("Frame4") << "Frame4"
                            << ""
                            << "";
}

void WindowTest::everyElementHasItsDesignNameCaptionAndStartState() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, tip);
    Bench bench(QStringLiteral("/dev/volterne-missing"));
    auto *element = bench.window->findChild<QWidget *>(name);
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

void WindowTest::timersAndStartStatesAreAsDesigned() {
    Bench bench(QStringLiteral("/dev/volterne-missing"));
    Form2 &w = *bench.window;
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
    QCOMPARE(w.libre->toolTip(), QStringLiteral("Période = valeur * 0.5 * switch (1 à 7)"));
    QVERIFY(!w.libre->isEnabled());
    QCOMPARE(w.Text1->accessibleName(), QStringLiteral("Données reçues"));
    QCOMPARE(w.Text2->accessibleName(), QStringLiteral("Dernier bloc reçu"));
    QCOMPARE(w.libre->accessibleName(), QStringLiteral("Valeur libre"));
    QCOMPARE(w.Combo1->accessibleName(), QStringLiteral("Port COM"));
    QCOMPARE(w.Combo3->accessibleName(), QStringLiteral("Période d'acquisition"));
}

void WindowTest::connexionOpensAndClosesTheRealPort() {
    Simulator board(QStringList{QStringLiteral("--silent")});
    QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
    Bench bench(board.devicePath());
    Form2 &w = *bench.window;
    QCOMPARE(w.Combo1->toolTip(), board.devicePath());

    QTest::mousePress(w.Command10, Qt::LeftButton);
    QVERIFY(bench.port.isOpen());
    QCOMPARE(backColour(w.Command10), colours::kLightGreen);
    QCOMPARE(w.Label14->text(), QStringLiteral("Platine Deconnectée"));

    QTest::mousePress(w.Command10, Qt::MiddleButton);
    QVERIFY(!bench.port.isOpen());
    QCOMPARE(backColour(w.Command10), colours::kButtonFace);
    QVERIFY(!w.indicators().timer3().isActive());
    QVERIFY(w.indicators().linkVisible());
    QCOMPARE(w.indicators().linkColour(), colours::kBlue);
}

void WindowTest::aPortThatCannotBeOpenedIsReportedAndNothingStops() {
    Bench bench(QStringLiteral("/dev/volterne-missing"));
    Form2 &w = *bench.window;
    QTest::mousePress(w.Command10, Qt::LeftButton);
    QVERIFY(!bench.port.isOpen());
    const QString said = w.indicators().linkText();
    QVERIFY2(said.contains(QStringLiteral("COM1")) &&
                 said.contains(QStringLiteral("/dev/volterne-missing")) &&
                 said.contains(QStringLiteral("introuvable")),
             qPrintable(said));
}

void WindowTest::mouseDownsFollowTheOperationButtonRules() {
    Bench bench(QStringLiteral("/dev/volterne-missing"));
    Form2 &w = *bench.window;
    w.receive().AppendFlag = 1;
    w.receive().ReplaceFlag = 1;

    QTest::mousePress(w.Command1, Qt::MiddleButton);
    QCOMPARE(backColour(w.Command1), colours::kButtonFace);
    QCOMPARE(w.dialogue().abortFlag(), qint16(0));

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

    // A right press on the period caption starts a read-out, never an abort.
    w.dialogue().setAbortFlag(0);
    QTest::mousePress(w.gache, Qt::LeftButton);
    QVERIFY(!w.dialogue().busy());
    QTest::mousePress(w.gache, Qt::RightButton);
    QVERIFY(w.dialogue().busy());
    QCOMPARE(w.dialogue().abortFlag(), qint16(0));
}

void WindowTest::memoryResetRunsAgainstTheBoard() {
    Simulator board(kQuickBoard);
    QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
    Bench bench(board.devicePath());
    Form2 &w = *bench.window;

    QTest::mouseClick(w.Command1, Qt::LeftButton);
    QVERIFY(w.dialogue().busy());
    QCOMPARE(backColour(w.Command1), colours::kLightCyan);
    QTRY_COMPARE_WITH_TIMEOUT(
        w.Label14->text(), QStringLiteral("Connexion établie avec la platine"), kBoardPatienceMs);
    QTRY_COMPARE_WITH_TIMEOUT(w.Label1->text(), QStringLiteral("RAZ Mémoire en cours ..."),
                              kBoardPatienceMs);
    QTRY_COMPARE_WITH_TIMEOUT(w.Label1->text(), QStringLiteral("RAZ Effectué"), kBoardPatienceMs);
    QVERIFY(!w.dialogue().busy());
    QVERIFY(w.Label5->text().startsWith(QStringLiteral("00:00:0")));
}

void WindowTest::downloadLandsByteExactInTheDatedRecording() {
    QTemporaryDir served;
    QByteArray payload;
    for (int round = 0; round < 4; ++round)
        for (int byte = 0; byte < 256; ++byte)
            payload.append(char(byte));
    QFile file(served.filePath(QStringLiteral("payload.bin")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(payload) == payload.size());
    file.close();

    Simulator board(kQuickBoard + QStringList{QStringLiteral("--serve"), file.fileName()});
    QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
    Bench bench(board.devicePath());
    Form2 &w = *bench.window;

    QTest::mouseClick(w.Command3, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(w.Label1->text(), QStringLiteral("Transfert Effecué"),
                              kBoardPatienceMs);
    QFile recording(bench.directory.filePath(QStringLiteral("transfert_05122026.txt")));
    QVERIFY(recording.open(QIODevice::ReadOnly));
    const QByteArray written = recording.readAll();
    QCOMPARE(written, w.receive().receiveBuffer() + "\r\n");
    QVERIFY2(written.startsWith(payload), "the served bytes arrive unchanged and first");
    QVERIFY(written.contains("Effectue"));
    QVERIFY(written.endsWith("\r\n"));
}

void WindowTest::liveReadingReplacesTheReceiveAreaUntilTheRightPress() {
    Simulator board(kQuickBoard + QStringList{QStringLiteral("--live-ms"), QStringLiteral("300")});
    QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
    Bench bench(board.devicePath());
    Form2 &w = *bench.window;

    QTest::mouseClick(w.lecture_badge, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(w.Label1->text(), QStringLiteral("Temps reel actif"),
                              kBoardPatienceMs);
    QCOMPARE(w.receive().ReplaceFlag, qint16(1));
    QTRY_VERIFY_WITH_TIMEOUT(w.receive().receiveBuffer().endsWith(" .\r\n"), kBoardPatienceMs);
    QCOMPARE(w.receive().receiveBuffer(), w.receive().latestChunk());

    QTest::mousePress(w.lecture_badge, Qt::RightButton);
    const QByteArray frozen = w.receive().receiveBuffer();
    QSignalSpy chunks(&w.receive(), &ReceivePath::latestChunkChanged);
    QTRY_VERIFY_WITH_TIMEOUT(chunks.count() >= 2, kBoardPatienceMs);
    QCOMPARE(w.receive().receiveBuffer(), frozen);
}

void WindowTest::eepromReadOutAndPeriodProgrammingAgainstTheBoard() {
    Simulator board(kQuickBoard);
    QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
    Bench bench(board.devicePath());
    Form2 &w = *bench.window;

    QTest::mousePress(w.gache, Qt::RightButton);
    QTRY_COMPARE_WITH_TIMEOUT(w.Label1->text(), QStringLiteral("Transfert EEPROM Interne Effecué"),
                              kBoardPatienceMs);
    QVERIFY(w.receive().receiveBuffer().contains("eeprom"));
    QCOMPARE(QDir(bench.directory.path()).entryList(QDir::Files).count(), 0);

    w.Combo3->setCurrentIndex(3);
    QTest::mouseClick(w.Command8, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(w.receive().receiveBuffer().startsWith("Periode=600"),
                             kBoardPatienceMs);
    QCOMPARE(w.PeriodValue, quint16(600));
}

void WindowTest::closingTheWindowWhileAnOperationWaitsEndsCleanly() {
    Simulator board(QStringList{QStringLiteral("--silent")});
    QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
    auto bench = std::make_unique<Bench>(board.devicePath());
    QTest::mouseClick(bench->window->Command1, Qt::LeftButton);
    QVERIFY(bench->window->dialogue().busy());
    QTest::qWait(300);
    bench->window->close();
    bench.reset(); // the waiting operation is dropped with the window
    QTest::qWait(300);
}

void WindowTest::theReceiveAreaShowsBytesOneCharacterEach() {
    Bench bench(QStringLiteral("/dev/volterne-missing"));
    Form2 &w = *bench.window;
    QByteArray bytes;
    for (int line = 0; line < 40; ++line)
        bytes += "0123 0456 0789 .\r\n";
    for (int byte = 0; byte < 256; ++byte)
        bytes += char(byte);
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
    Bench bench(QStringLiteral("/dev/volterne-missing"));
    Form2 &w = *bench.window;
    QTest::mouseClick(w.Label7, Qt::LeftButton);
    QTest::mouseClick(w.Label16, Qt::LeftButton);
    QTest::mouseClick(w.Label16, Qt::RightButton);
    QCOMPARE(bench.desktop.messages.size(), 2);
    QCOMPARE(bench.desktop.messages[0], bench.desktop.messages[1]);
    QVERIFY(bench.desktop.messages[0].startsWith(QStringLiteral("Ondrelle|Site auteur : http")));
    QVERIFY(bench.desktop.messages[0].endsWith(QLatin1Char(' ')));
}

void WindowTest::theClockShowsTheTimeOfDayWithoutTimeZone() {
    const QTime time(14, 5, 9);
    QCOMPARE(timeOfDayText(time, QLocale(QLocale::French, QLocale::France)),
             QStringLiteral("14:05:09"));
    QCOMPARE(timeOfDayText(time, QLocale(QLocale::English, QLocale::UnitedStates)),
             QStringLiteral("2:05:09 PM"));
    Bench bench(QStringLiteral("/dev/volterne-missing"));
    QCOMPARE(bench.window->defile->text(), QStringLiteral("..."));
    QTRY_VERIFY(bench.window->defile->text().count(QLatin1Char(':')) == 2);
}

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
