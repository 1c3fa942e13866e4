// Start-up, "Quitter" and the period choice, through the real window (offscreen, no board).
#include "app/form2.h"
#include "fakedesktop.h"
#include "link/clock.h"
#include "link/pseudoterminal.h"
#include "link/serialtransport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
struct Bench {
    explicit Bench(const QByteArray &settings = {}, QLocale locale = QLocale::c(),
                   QString device = QStringLiteral("/dev/volterne-missing"))
        : port([device](int) { return device; }) {
        if (!settings.isNull()) {
            QFile file(iniPath());
            if (file.open(QIODevice::WriteOnly)) file.write(settings);
        }
        Form2Parts parts{&port, &clock, &desktop, directory.path()};
        parts.locale = locale;
        window = std::make_unique<Form2>(parts);
        window->Form_Load();
    }
    QString iniPath() const { return directory.filePath(QStringLiteral("param.ini")); }
    QByteArray ini() const {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QTemporaryDir directory;
    ManualClock clock;
    FakeDesktop desktop;
    SerialTransport port;
    std::unique_ptr<Form2> window;
};

QByteArray settingsFile(const QByteArray &com, const QByteArray &free, const QByteArray &select,
                        const QByteArray &index) {
    return "[COM]\r\nvaleur=" + com + "\r\n[temporisation]\r\nvaleur=" + free +
           "\r\n[select]\r\nvaleur=" + select + "\r\n[Index]\r\nvaleur=" + index + "\r\n";
}
} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void startUpRestoresTheSettings_data();
    void startUpRestoresTheSettings();
    void quitterWritesTheSettingsAndKeepsTheRestOfTheFile();
    void aFreshSettingsFileHasExactlyEightLines();
    void freeValueTipFollowsTheLocaleAndTheCap_data();
    void freeValueTipFollowsTheLocaleAndTheCap();
    void aSendWithAnInvalidFreeValueIsRefused();
    void aPortThatDisappearsWhileOpenIsReported();
};

void StartupTest::startUpRestoresTheSettings_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("free");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<int>("index");
    QTest::newRow("no file") << QByteArray() << "COM12"
                             << "" << false << 0;
    QTest::newRow("COM10, ticked, last range")
        << settingsFile("COM10", "40000", "1", "4") << "COM10"
        << "40000" << true << 4;
    QTest::newRow("lower-case port name matches nothing")
        << settingsFile("com3", "8", "0", "2") << "COM12"
        << "8" << false << 2;
    QTest::newRow("no range selected") << settingsFile("COM2", "1", "0", "-1") << "COM2"
                                       << "1" << false << -1;
    QTest::newRow("index out of range, select not a number")
        << settingsFile("COM1", "1", "abc", "7") << "COM1"
        << "1" << false << 0;
    QTest::newRow("long free value is cut to nine characters")
        << settingsFile("COM1", "1.2345678901", "1", "0") << "COM1"
        << "1.2345678" << true << 0;
}

void StartupTest::startUpRestoresTheSettings() {
    QFETCH(QByteArray, file);
    QFETCH(QString, port);
    QFETCH(QString, free);
    QFETCH(bool, ticked);
    QFETCH(int, index);
    Bench bench(file);
    Form2 &w = *bench.window;
    QCOMPARE(w.Combo1->currentText(), port);
    QCOMPARE(bench.port.portNumber(), port.mid(3).toInt());
    QCOMPARE(w.libre->text(), free);
    QCOMPARE(w.Check1->isChecked(), ticked);
    QCOMPARE(w.libre->isEnabled(), ticked);
    QCOMPARE(w.Combo3->currentIndex(), index);
}

void StartupTest::quitterWritesTheSettingsAndKeepsTheRestOfTheFile() {
    const QByteArray before = "; réglages de l'atelier\r\n[ports]\r\nCOM3=/dev/ttyUSB0\r\n"
                              "[com]\r\nvaleur=COM1\r\n[Index]\r\nvaleur=2\r\n[autre]\r\nx=y\r\n";
    Bench bench(before);
    Form2 &w = *bench.window;
    w.Combo1->setCurrentIndex(2);
    w.Check1->setChecked(true);
    w.libre->setText(QStringLiteral("250"));
    w.Combo3->setCurrentIndex(-1);
    w.Command6_Click();

    const QByteArray after = bench.ini();
    QVERIFY(after.startsWith("; réglages de l'atelier\r\n[ports]\r\nCOM3=/dev/ttyUSB0\r\n"
                             "[com]\r\nvaleur=COM3\r\n[Index]\r\nvaleur=-1\r\n[autre]\r\nx=y\r\n"));
    QVERIFY(after.contains("[temporisation]\r\nvaleur=250\r\n"));
    QVERIFY(after.contains("[select]\r\nvaleur=1\r\n"));

    Bench again(after);
    QCOMPARE(again.window->Combo1->currentText(), QStringLiteral("COM3"));
    QCOMPARE(again.window->Combo3->currentIndex(), -1);
    QVERIFY(again.window->Check1->isChecked());
    QCOMPARE(again.window->libre->text(), QStringLiteral("250"));
}

void StartupTest::aFreshSettingsFileHasExactlyEightLines() {
    Bench bench;
    Form2 &w = *bench.window;
    w.Combo1->setCurrentIndex(2);
    w.libre->setText(QStringLiteral("1"));
    w.Combo3->setCurrentIndex(0);
    w.Command6_Click();
    QCOMPARE(bench.ini(), QByteArray("[COM]\r\nvaleur=COM3\r\n[temporisation]\r\nvaleur=1\r\n"
                                     "[select]\r\nvaleur=0\r\n[index]\r\nvaleur=0\r\n"));
}

void StartupTest::freeValueTipFollowsTheLocaleAndTheCap_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("tip");
    const QLocale french(QLocale::French, QLocale::France);
    QTest::newRow("1, C") << QLocale::c() << "1"
                          << "1"
                          << "Période = 0.5 sec à 3.5 sec";
    QTest::newRow("1, French") << french << "1"
                               << "1"
                               << "Période = 0,5 sec à 3,5 sec";
    QTest::newRow("8") << QLocale::c() << "8"
                       << "8"
                       << "Période = 4 sec à 28 sec";
    QTest::newRow("65534") << QLocale::c() << "65534"
                           << "65534"
                           << "Période = 32767 sec à 229369 sec";
    QTest::newRow("70000 capped") << QLocale::c() << "70000"
                                  << "65534"
                                  << "Période = 32767 sec à 229369 sec";
    QTest::newRow("not a number keeps the tip") << QLocale::c() << "abc"
                                                << "abc"
                                                << "Période = valeur * 0.5 * switch (1 à 7)";
}

void StartupTest::freeValueTipFollowsTheLocaleAndTheCap() {
    QFETCH(QLocale, locale);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QFETCH(QString, tip);
    Bench bench(settingsFile("COM1", "", "1", "0"), locale);
    Form2 &w = *bench.window;
    QCOMPARE(w.libre->toolTip(), QStringLiteral("Période = valeur * 0.5 * switch (1 à 7)"));
    w.libre->setText(typed);
    QCOMPARE(w.libre->text(), kept);
    QCOMPARE(w.libre->toolTip(), tip);
}

void StartupTest::aSendWithAnInvalidFreeValueIsRefused() {
    Bench bench(settingsFile("COM1", "1", "1", "0"));
    Form2 &w = *bench.window;
    w.PeriodValue = 8;
    w.libre->setText(QString());
    w.Command8_Click();
    QVERIFY(!w.dialogue().busy());
    QCOMPARE(w.PeriodValue, quint16(8));
    QVERIFY(w.Label1->text().contains(QStringLiteral("invalide")));
    QVERIFY(!bench.port.isOpen());
}

void StartupTest::aPortThatDisappearsWhileOpenIsReported() {
    PseudoTerminal terminal;
    QString problem;
    QVERIFY2(terminal.open(&problem), qPrintable(problem));
    Bench bench(settingsFile("COM1", "1", "0", "0"), QLocale::c(), terminal.slavePath());
    Form2 &w = *bench.window;
    w.Command10_MouseDown(Qt::LeftButton);
    QVERIFY(bench.port.isOpen());
    terminal.close(); // the adapter is unplugged
    QTRY_VERIFY2(w.indicators().linkText().contains(QStringLiteral("perdu")),
                 qPrintable(w.indicators().linkText()));
    QVERIFY(!bench.port.isOpen());
    QCOMPARE(w.Label14->text(), w.indicators().linkText());
}

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
