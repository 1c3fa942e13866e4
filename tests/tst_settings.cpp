// The settings file (reading, refused writes, a save that fails part-way, the port map, the values
// cut as read at start-up) and the period code a choice of preset or free value gives, down to the
// bytes sent. The window tests run the whole round trip through start-up and "Quitter"; these are
// the cases they can't reach. Then where an installed program keeps its files.
#include "app/programdir.h"
#include "board/periodcommand.h"
#include "boardline.h"
#include "bytes.h"
#include "data/channelsettings.h"
#include "data/chartsettings.h"
#include "data/facts.h"
#include "data/limitwatch.h"
#include "data/livekeeper.h"
#include "data/measures.h"
#include "data/period.h"
#include "data/profile.h"
#include "data/recording.h"
#include "data/settings.h"
#include "link/portmap.h"
#include "link/serialtransport.h"
#include "pseudoterminal.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {
struct Choice {
    int index;
    const char *freeText; // nullptr: the free box is not ticked
    const char *trailer;  // in hex; empty: refused
};
} // namespace

Q_DECLARE_METATYPE(FoundPort)

class SettingsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath("param.ini"); }

private slots:
    // Reading finds only the key of its section; a byte order mark hides no section and is kept;
    // refused writes change nothing and say why.
    void readingFindsOnlyTheKeyOfItsSectionAndRefusedWritesChangeNothing() {
        const Profile read = Profile::inMemory("[a]\r\nk=1\r\n[b]\r\n[t]\r\nvaleur=\xe9\xff\r\n");
        // A missing section, the key of another section, the key of a later one; a value.
        QCOMPARE(QByteArrayList({read.value("select", "valeur"), read.value("b", "k"),
                                 read.value("a", "valeur"), read.value("t", "valeur")}),
                 QByteArrayList({{}, {}, {}, "\xe9\xff"}));
        const QByteArray before = "\xEF\xBB\xBF[COM]\r\nvaleur=COM3\r\n";
        QVERIFY(writeFile(path(), before));
        QCOMPARE(Profile(path()).value("COM", "valeur"), QByteArray("COM3"));
        QString error;
        QVERIFY(!Profile(path()).setValue("temporisation", "valeur", "1\r\n[COM]\r\nvaleur=COM9",
                                          &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(readFile(path()), before);
        QVERIFY(Profile(path()).setValue("COM", "valeur", "COM4"));
        QCOMPARE(readFile(path()), "\xEF\xBB\xBF[COM]\r\nvaleur=COM4\r\n");
        QVERIFY(!Profile(m_dir.filePath("absent/param.ini")).setValue("C", "valeur", "1", &error));
        QVERIFY(error.contains("param.ini"));
    }

    // "Quitter" and "Voies…" each save several keys. When the second one cannot be kept (the disk
    // fills up with it, or its value is refused), the file keeps every earlier value, the first
    // key's included, and the reason is said.
    void aSaveThatFailsAtItsSecondKeyLeavesTheFileAsItWas() {
#ifndef Q_OS_UNIX
        QSKIP("a file size limit stands for the full disk only on a POSIX system");
#else
        const QByteArray earlier = "[COM]\r\nvaleur=COM3\r\n[temporisation]\r\nvaleur=1\r\n"
                                   "[select]\r\nvaleur=0\r\n[index]\r\nvaleur=2\r\n"
                                   "[voies]\r\nnom1=A\r\nunite1=V\r\n";
        ChannelSettings channels;
        channels.channels[0].name = "B"; // as long as "A": the first key alone fits
        channels.channels[0].unit = "Volts";
        const WindowSettings window{"COM4", "123456789", false, 2}; // "COM4" fits, as "COM3" did
        std::signal(SIGXFSZ, SIG_IGN); // a refused write fails with EFBIG instead of a signal
        // Each save, the room the disk has beyond the earlier file, the reason said.
        const std::tuple<std::function<bool(Profile &, QString *)>, int, const char *> saves[] = {
            {[&](Profile &p, QString *e) { return window.save(p, e); }, 4, "trop grand"},
            {[&](Profile &p, QString *e) { return channels.save(p, e); }, 2, "trop grand"},
            {[](Profile &p, QString *e) {
                 return saveSettings(p, "COM4", "1\n[COM]", false, 2, e);
             },
             -1, "saut de ligne"}};
        for (const auto &[save, room, reason] : saves) {
            QVERIFY(writeFile(path(), earlier));
            rlimit saved{};
            QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
            const rlimit full{rlim_t(earlier.size() + room), saved.rlim_max};
            QVERIFY(room < 0 || setrlimit(RLIMIT_FSIZE, &full) == 0);
            Profile profile(path());
            QString error;
            const bool written = save(profile, &error);
            setrlimit(RLIMIT_FSIZE, &saved);
            QVERIFY(!written);
            QVERIFY2(error.contains(reason), qPrintable(error));
            QCOMPARE(readFile(path()), earlier);
        }

        // With room enough, one save holds every key, in the file's order, its other lines kept.
        Profile profile(path());
        QVERIFY(window.save(profile) && channels.save(profile));
        QCOMPARE(readFile(path()), "[COM]\r\nvaleur=COM4\r\n[temporisation]\r\nvaleur=123456789\r\n"
                                   "[select]\r\nvaleur=0\r\n[index]\r\nvaleur=2\r\n"
                                   "[voies]\r\nnom1=B\r\nunite1=Volts\r\n");
#endif
    }

    void portEntriesStandForTheConfiguredThenTheDiscoveredPorts_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QList<FoundPort>>("found");
        QTest::addColumn<QStringList>("entries"); // COM1, COM2, ... as the opened list shows them
        QTest::addColumn<QString>("present");
        const FoundPort ftdi{"/dev/ttyUSB2", "FT232R USB UART", true, {}};
        const FoundPort usb10{"/dev/ttyUSB10", "", true, {}};
        const FoundPort onboard{"/dev/ttyS0", "", false, {}};
        QTest::newRow("adapters first, each group in natural name order")
            << QByteArray() << QList<FoundPort>{onboard, usb10, ftdi}
            << QStringList{"COM1 — /dev/ttyUSB2 — FT232R USB UART", "COM2 — /dev/ttyUSB10",
                           "COM3 — /dev/ttyS0", "COM4 — aucun périphérique"}
            << "Ports présents : COM1 (/dev/ttyUSB2), COM2 (/dev/ttyUSB10), COM3 (/dev/ttyS0)";
        QTest::newRow("a configured line wins and its device goes nowhere else")
            << QByteArray("[Ports]\r\ncom2=/dev/ttyUSB2\r\n") << QList<FoundPort>{ftdi, onboard}
            << QStringList{"COM1 — /dev/ttyS0", "COM2 — /dev/ttyUSB2 — FT232R USB UART",
                           "COM3 — aucun périphérique"}
            << "Ports présents : COM1 (/dev/ttyS0), COM2 (/dev/ttyUSB2)";
    }

    void portEntriesStandForTheConfiguredThenTheDiscoveredPorts() {
        QFETCH(QByteArray, settings);
        QFETCH(QList<FoundPort>, found);
        QFETCH(QStringList, entries);
        QFETCH(QString, present);
        PortMap ports([&] { return configuredPorts(Profile::inMemory(settings)); },
                      [&] { return found; }, PortMap::Numbering::InOrder);
        for (int number = 1; number <= entries.size(); ++number)
            QCOMPARE(ports.entryText(number), entries[number - 1]);
        QCOMPARE(ports.presentText(), present);
    }

    void withTheSystemsNamesAPortPastCom12TakesTheFirstEntryLeftAndKeepsItsIdentity() {
        // As Windows describes its ports.
        const FoundPort native =
            describedComPort("COM1", "Communications Port (COM1)", "ACPI\\PNP0501\\0");
        const FoundPort ftdi = describedComPort("COM17", "USB Serial Port (COM17)",
                                                "FTDIBUS\\VID_0403+PID_6001+A10K1ABCA\\0000");
        const FoundPort cdc = describedComPort("COM4", "Périphérique série USB (COM4)",
                                               "USB\\VID_2341&PID_0043\\75735323");
        const FoundPort unnamed = describedComPort("COM20", "USB-SERIAL CH340 (COM20)",
                                                   "USB\\VID_1A86&PID_7523\\5&2B1C&0&3");
        QCOMPARE(native.description, "Communications Port");
        QVERIFY(!native.adapter && native.serialNumber.isEmpty());
        QCOMPARE(ftdi.description, "USB Serial Port");
        QVERIFY(ftdi.adapter);
        QCOMPARE(ftdi.serialNumber, "A10K1ABCA");
        QCOMPARE(cdc.serialNumber, "75735323");
        QVERIFY(unnamed.adapter && unnamed.serialNumber.isEmpty()); // Windows made that one up

        QByteArray settings = "[ports]\r\nCOM2=COM20\r\n";
        QList<FoundPort> found{unnamed, ftdi, cdc, native};
        PortMap ports([&] { return configuredPorts(Profile::inMemory(settings)); },
                      [&] { return found; }, PortMap::Numbering::SystemNames);
        QCOMPARE(ports.entryText(1), "COM1 — COM1 — Communications Port");
        QCOMPARE(ports.entryText(2), "COM2 — COM20 — USB-SERIAL CH340");
        QCOMPARE(ports.entryText(3), "COM3 — COM17 — USB Serial Port");
        QCOMPARE(ports.entryText(4), "COM4 — COM4 — Périphérique série USB");
        QCOMPARE(ports.entryText(5), "COM5 — aucun périphérique");
        QCOMPARE(ports.presentText(),
                 "Ports présents : COM1 (COM1), COM2 (COM20), COM3 (COM17), COM4 (COM4)");

        // COM3 chosen for the FTDI adapter; a new COM3 of the system's own takes its place.
        ports.remember(3);
        QCOMPARE(ports.target(3).device, "COM17");
        found << describedComPort("COM3", "USB Serial Device (COM3)",
                                  "USB\\VID_2E8A&PID_000A\\E66");
        const PortTarget moved = ports.target(3);
        QCOMPARE(moved.device, "COM3");
        QVERIFY2(moved.refusal.startsWith("COM3 désignait COM17 (USB Serial Port), absent"),
                 qPrintable(moved.refusal));
        QCOMPARE(ports.entryText(5), "COM5 — COM17 — USB Serial Port");
    }

    void anEntryKeepsTheDeviceItWasChosenForAndAnAliasIsItsTarget() {
#ifndef Q_OS_UNIX
        QSKIP("device files and their aliases are those of a POSIX system");
#endif
        // Two adapters; a [ports] line names the first through an alias, and a missing device.
        const QString usb0 = m_dir.filePath("ttyUSB0"), usb1 = m_dir.filePath("ttyUSB1");
        QVERIFY(writeFile(usb0, "") && writeFile(usb1, ""));
        QVERIFY(QFile::link(usb0, m_dir.filePath("by-id-ftdi")));
        QVERIFY(writeFile(path(), "[ports]\r\nCOM1=" + m_dir.filePath("by-id-ftdi").toUtf8() +
                                      "\r\nCOM3=" + m_dir.filePath("absent").toUtf8() + "\r\n"));
        QList<FoundPort> found{{usb0, "FT232R USB UART", true, "A1"}, {usb1, "CP2102", true, "B2"}};
        PortMap ports([this] { return configuredPorts(Profile(path())); }, [&] { return found; });
        QCOMPARE(ports.entryText(1),
                 "COM1 — " + m_dir.filePath("by-id-ftdi") + " — FT232R USB UART");
        QCOMPARE(ports.device(2), usb1); // the alias's target goes to no other entry
        QCOMPARE(ports.presentText(), QString("Ports présents : COM1 (%1), COM2 (%2)")
                                          .arg(m_dir.filePath("by-id-ftdi"), usb1));

        // COM2 was chosen for the CP2102; it comes back at another place, then goes.
        ports.remember(2);
        QVERIFY(ports.target(2).refusal.isEmpty());
        found = {{usb1, "FT232R USB UART", true, "C3"}, {usb0, "CP2102", true, "B2"}};
        QCOMPARE(ports.target(2).device, usb1);
        const QString refusal = ports.target(2).refusal;
        QVERIFY2(refusal.startsWith(QString("COM2 désignait %1 (CP2102), absent : rebranchez "
                                            "l'adaptateur ou choisissez un autre port.")
                                        .arg(usb1)),
                 qPrintable(refusal));
        found.removeLast();
        QVERIFY(!ports.target(2).refusal.isEmpty());
        // Chosen again, it takes what it stands for now.
        ports.remember(2);
        QVERIFY(ports.target(2).refusal.isEmpty());

        // Without serial numbers, an entry chosen through an alias keeps the device the alias led
        // to: the alias leading to another device since is refused.
        found = {{usb0, "USB Serial", true, {}}, {usb1, "USB Serial", true, {}}};
        ports.remember(1);
        QVERIFY(ports.target(1).refusal.isEmpty());
        const QString alias = m_dir.filePath("by-id-ftdi");
        QVERIFY(QFile::remove(alias) && QFile::link(usb1, alias));
        QVERIFY(!ports.target(1).refusal.isEmpty());
    }

    void anAdapterPluggedInBetweenTwoOpeningsIsUsedWithoutARestart() {
        NEEDS_BOARD_LINE();
        PseudoTerminal adapter; // plays the adapter's device
        QVERIFY(adapter.open());
        QList<FoundPort> found;
        PortMap ports([] { return QMap<int, QString>(); }, [&] { return found; });
        SerialTransport port([&](int number) {
            ports.refresh();
            return ports.device(number);
        });
        port.setPresentPorts([&] { return ports.presentText(); });
        QSignalSpy problems(&port, &Transport::problem);
        QVERIFY(!port.open());
        QCOMPARE(problems.size(), 1);
        QVERIFY(problems[0][0].toString().contains("Aucun port série détecté : branchez"));
        found << FoundPort{adapter.slavePath(), "FT232R USB UART", true, {}};
        QVERIFY(port.open());
        QVERIFY(adapter.slavePath().endsWith(port.serialPort().portName()));
    }

    void storedValuesAreCutAsReadAndTheIntervalKeeps12SignificantDigits() {
        const QByteArray file = "[COM]\r\nvaleur=" + QByteArray(40, 'P') +
                                "\r\n[select]\r\nvaleur=123456\r\n[Index]\r\nvaleur=1" +
                                QByteArray(1, '\0') + "99\r\n";
        const StoredSettings stored = readSettings(Profile::inMemory(file));
        QCOMPARE(stored.port, QByteArray(29, 'P'));
        QCOMPARE(stored.select, "1234");
        QCOMPARE(stored.index, "1");

        // The chart's interval is written to 12 significant digits and read back as written.
        Profile profile = Profile::inMemory({});
        for (const auto &[seconds, text] :
             {std::pair(0.1234567, "0.1234567"), std::pair(1.0 / 3, "0.333333333333"),
              std::pair(2e-5, "2e-05")}) {
            QVERIFY(saveChartInterval(profile, seconds));
            QCOMPARE(profile.content(), "[graphique]\r\nintervalle=" + QByteArray(text) + "\r\n");
            QCOMPARE(readChartInterval(profile), QByteArray(text).toDouble());
        }
    }

    void thePeriodChoiceGivesTheParamBytes_data() {
        QTest::addColumn<Choice>("choice");
        QTest::newRow("preset 8") << Choice{1, nullptr, "080001"};
        QTest::newRow("preset 600") << Choice{3, nullptr, "580201"};
        QTest::newRow("preset 5400") << Choice{4, nullptr, "181501"};
        QTest::newRow("nothing selected keeps the previous 77") << Choice{-1, nullptr, "4d0001"};
        QTest::newRow("free 1 wins over the preset") << Choice{4, "1", "010001"};
        QTest::newRow("free 65534") << Choice{0, "65534", "feff01"};
        QTest::newRow("free -1: a period is never negative") << Choice{0, "-1", ""};
        QTest::newRow("free -0.4 rounds to 0") << Choice{0, "-0.4", "000001"};
        QTest::newRow("free 2.5 to even 2") << Choice{0, "2.5", "020001"};
        QTest::newRow("free 3.5 to even 4") << Choice{0, "3.5", "040001"};
        QTest::newRow("free 2,5") << Choice{-1, "2,5", "020001"};
        QTest::newRow("letters") << Choice{0, "12a", ""};
        QTest::newRow("free 2.5") << Choice{0, "2.5", "020001"};
        QTest::newRow("free 12,7") << Choice{0, "12,7", "0d0001"};
        QTest::newRow("a group separator") << Choice{0, "1,000.5", ""};
        QTest::newRow("above 65534") << Choice{0, "65535", ""};
    }

    void thePeriodChoiceGivesTheParamBytes() {
        QFETCH(Choice, choice);
        const std::optional<quint16> value = selectPeriodValue(
            choice.index, choice.freeText != nullptr, QString(choice.freeText), 77);
        QCOMPARE(value ? periodTrailer(*value) : QByteArray(), QByteArray::fromHex(choice.trailer));
    }

    // A recording's facts come back as they were written, limits and arrivals included; a
    // damaged file gives what it still says, a missing one nothing; "Voies…" on the recording
    // rewrites its channels and keeps the rest.
    void aRecordingsFactsComeBackAsWrittenAndADamagedFileGivesWhatItSays() {
        RecordingFacts facts;
        facts.recorded = QDateTime(QDate(2026, 12, 6), QTime(14, 3, 12));
        facts.port = "COM1";
        facts.device = "/dev/ttyUSB0";
        facts.serialNumber = "A10K1ABC";
        facts.periodCode = 150;
        facts.boardSwitch = 3;
        facts.interval = 0.5;
        facts.start = QDateTime(QDate(2026, 12, 6), QTime(10, 0, 0, 250));
        facts.startOrigin = StartOrigin::LastReset;
        facts.channels.channels[0] = {"Température", "°C", {0, -20, 1023, 80}, 5.5, 30};
        facts.channels.channels[2].high = -1;
        facts.arrivals = {{0, facts.start}, {4, facts.start.addSecs(2)}};
        facts.excursions = {"Température au-dessus de 30 °C depuis 14:03:12"};
        const QString recording = m_dir.filePath("transfert_06122026.txt");
        const QString file = factsPath(recording);
        QCOMPARE(QFileInfo(file).fileName(), QString("transfert_06122026.ini"));
        QVERIFY(facts.save(file));
        QCOMPARE(RecordingFacts::read(file), facts);
        const QByteArray text = readFile(file);
        QVERIFY2(text.contains("debut=2026-12-06 10:00:00.250\r\n") &&
                     text.contains("limites1=5.5;30\r\n") && text.contains("limites3=;-1\r\n"),
                 text.constData());

        RecordingFacts changed = facts;
        changed.channels.channels[0].unit = "K";
        changed.channels.channels[0].low.reset();
        QVERIFY(changed.save(file));
        QCOMPARE(RecordingFacts::read(file), changed);

        // Damaged: values that do not read are unknown, the rest stays.
        QVERIFY(writeFile(file, "[enregistrement]\r\nport=COM2\r\nintervalle=-3\r\n"
                                "debut=hier\r\norigine_debut=raz\r\ncommutateur=9\r\n"
                                "periode=70000\r\n[arrivees]\r\nnombre=3\r\n1=0;2026-12-06 "
                                "10:00:00\r\n2=x\r\n[voies]\r\nlimites1=bas;30\r\n"));
        const std::optional<RecordingFacts> damaged = RecordingFacts::read(file);
        QVERIFY(damaged);
        QCOMPARE(damaged->port, QString("COM2"));
        QCOMPARE(damaged->interval, 0.0);
        QVERIFY(!damaged->start.isValid());
        QCOMPARE(damaged->startOrigin, StartOrigin::Unknown);
        QCOMPARE(damaged->boardSwitch, 0);
        QVERIFY(!damaged->periodCode);
        QCOMPARE(damaged->arrivals.size(), 1);
        QCOMPARE(damaged->channels.channels[0].low, std::nullopt);
        QCOMPARE(damaged->channels.channels[0].high, std::optional<double>(30));
        QVERIFY(!RecordingFacts::read(m_dir.filePath("absent.ini")));
        QVERIFY(!RecordingFacts::read(m_dir.path())); // a folder
    }

    // An earlier recording of the day moves to the first number free for it and its facts file;
    // the facts go with it. A recording without facts moves alone.
    void anEarlierRecordingMovesWithItsFacts() {
        QTemporaryDir dir;
        const QString name = "transfert_06122026.txt";
        QVERIFY(writeFile(dir.filePath(name), "A") &&
                writeFile(dir.filePath("transfert_06122026.ini"), "[f]"));
        // -1 is taken by an orphan facts file: the recording goes to -2.
        QVERIFY(writeFile(dir.filePath("transfert_06122026-1.ini"), "orphan"));
        QVERIFY(keepEarlierRecording(QDir(dir.path()), name, nullptr));
        QCOMPARE(readFile(dir.filePath("transfert_06122026-2.txt")), QByteArray("A"));
        QCOMPARE(readFile(dir.filePath("transfert_06122026-2.ini")), QByteArray("[f]"));
        QCOMPARE(readFile(dir.filePath("transfert_06122026-1.ini")), QByteArray("orphan"));
        QVERIFY(!QFileInfo::exists(dir.filePath(name)) &&
                !QFileInfo::exists(dir.filePath("transfert_06122026.ini")));
        QVERIFY(writeFile(dir.filePath(name), "B"));
        QVERIFY(keepEarlierRecording(QDir(dir.path()), name, nullptr));
        QCOMPARE(readFile(dir.filePath("transfert_06122026-3.txt")), QByteArray("B"));
        QVERIFY(!QFileInfo::exists(dir.filePath("transfert_06122026-3.ini")));
    }

    // A download starts at the board's last reset, else counted back from its end; each board
    // keeps its own times in param.ini, beside the other settings.
    void aDownloadStartsAtTheLastResetElseCountedBack() {
        const QDateTime end(QDate(2026, 12, 6), QTime(14, 0, 0));
        const QDateTime reset(QDate(2026, 12, 6), QTime(9, 30, 0));
        QCOMPARE(downloadStart(reset, end, 100, 2), std::pair(reset, StartOrigin::LastReset));
        QCOMPARE(downloadStart(QDateTime(), end, 100, 2),
                 std::pair(end.addSecs(-200), StartOrigin::CountedBack));
        // A reset after the end is another board's clock gone wrong: counted back instead.
        QCOMPARE(downloadStart(end.addSecs(60), end, 3600, 0.5).second, StartOrigin::CountedBack);
        QCOMPARE(downloadStart(QDateTime(), end, 100, 0).second, StartOrigin::Unknown);
        // Counted back across midnight.
        QCOMPARE(
            downloadStart(QDateTime(), QDateTime(QDate(2026, 12, 7), QTime(0, 0, 30)), 61, 1).first,
            QDateTime(QDate(2026, 12, 6), QTime(23, 59, 29)));

        QVERIFY(writeFile(path(), "[COM]\r\nvaleur=COM3\r\n"));
        Profile profile(path());
        const BoardHistory first{reset, end, 150};
        QVERIFY(first.save(profile, "A10K1ABC"));
        QVERIFY((BoardHistory{end, {}, std::nullopt}.save(profile, "/dev/ttyS0")));
        const BoardHistory read = BoardHistory::read(profile, "A10K1ABC");
        QCOMPARE(std::tuple(read.lastReset, read.lastProgramming, read.period),
                 std::tuple(reset, end, std::optional<quint16>(150)));
        QCOMPARE(BoardHistory::read(profile, "/dev/ttyS0").lastReset, end);
        QVERIFY(!BoardHistory::read(profile, "B0").lastReset.isValid());
        QVERIFY(readFile(path()).startsWith("[COM]\r\nvaleur=COM3\r\n[platines]\r\n"
                                            "A10K1ABC.raz=2026-12-06 09:30:00\r\n"));
    }

    // Moments as the program writes and reads them; sample times counted on from the start
    // without daylight-saving jumps, or the arrival of each sample's chunk.
    void momentsReadAsWrittenAndSamplesAreTimedFromTheStartOrTheirArrival() {
        const QDateTime moment(QDate(2026, 12, 6), QTime(14, 3, 12));
        QCOMPARE(dateTimeText(moment), QString("2026-12-06 14:03:12"));
        QCOMPARE(dateTimeText(moment.addMSecs(5)), QString("2026-12-06 14:03:12.005"));
        const std::pair<const char *, QDateTime> typed[] = {
            {"2026-12-06 14:03:12", moment},
            {" 2026-12-06T14:03:12 ", moment},
            {"2026-12-06 14:03", moment.addSecs(-12)},
            {"2026-12-06 14:03:12,5", moment.addMSecs(500)},
            {"2026-02-30 10:00", QDateTime()},
            {"2026-12-06 25:00", QDateTime()},
            {"06/12/2026 14:03", QDateTime()},
            {"", QDateTime()}};
        for (const auto &[text, expected] : typed)
            QVERIFY2(parseDateTimeText(text).value_or(QDateTime()) == expected, text);

        const SampleClock counted{moment, 0.5, {}};
        QCOMPARE(counted.at(7201), QDateTime(QDate(2026, 12, 6), QTime(15, 3, 12, 500)));
        QCOMPARE(countedOn(moment, 10 * 3600 * 1000LL),
                 QDateTime(QDate(2026, 12, 7), QTime(0, 3, 12)));
        QCOMPARE(countedOn(QDateTime(QDate(2026, 1, 1), QTime(0, 0, 1)), -2000),
                 QDateTime(QDate(2025, 12, 31), QTime(23, 59, 59)));
        QVERIFY(!SampleClock({QDateTime(), 1, {}}).known() &&
                !SampleClock({moment, 0, {}}).known());
        const SampleClock arrived{moment, 0, {{0, moment}, {3, moment.addSecs(5)}}};
        QCOMPARE(QList<QDateTime>({arrived.at(0), arrived.at(2), arrived.at(3), arrived.at(9)}),
                 QList<QDateTime>({moment, moment, moment.addSecs(5), moment.addSecs(5)}));
    }

    // A reading's excursions out of its limits are said once each, and the return too, whatever
    // the chunks; a kept reading's facts file holds its arrivals and what was said.
    void excursionsAreSaidOnceAndAKeptReadingKeepsItsArrivals() {
        ChannelSettings channels;
        channels.channels[0] = {"Température", "°C", {0, 0, 100, 10}, 5.5, 30};
        LimitWatch watch(channels, QLocale(QLocale::French));
        const QTime at(14, 3, 12);
        // Raw 310 is 31 °C, 0040 is 4 °C; channel 2 has no limits; an invalid field says nothing.
        QCOMPARE(watch.feed("0100 0999 0000 .\r\n0136 0001", at), QStringList());
        QCOMPARE(watch.feed(" 0002 .\r\n0140 0001 0002 .\r\nzzzz 0001 0002 .\r\n", at),
                 QStringList({"Température au-dessus de 30 °C depuis 14:03:12"}));
        QCOMPARE(watch.feed("0028 0000 0000 .\r\n0100 0000 0000 .\r\n", at.addSecs(8)),
                 QStringList({"Température au-dessous de 5,5 °C depuis 14:03:20",
                              "Température de nouveau dans ses limites depuis 14:03:20"}));
        QCOMPARE(watch.samples(), 6);
        watch.restart(ChannelSettings());
        QCOMPARE(watch.feed("7FFF 0000 0000 .\r\n", at), QStringList());

        QTemporaryDir dir;
        QDateTime now(QDate(2026, 12, 6), QTime(14, 0, 0));
        LiveKeeper keeper(dir.path(), [&] { return now; });
        RecordingFacts facts;
        facts.port = "COM2";
        facts.interval = 1;
        keeper.setFacts(facts);
        QVERIFY(keeper.append("Temps reel\r\n0001 0002 0003 .\r\n0004"));
        const QString kept = factsPath(keeper.path());
        QCOMPARE(RecordingFacts::read(kept)->start, now); // written as the file starts
        now = now.addSecs(2);
        QVERIFY(keeper.append(" 0005 0006 .\r\n")); // the line of the second sample ends
        now = now.addSecs(3);
        QVERIFY(keeper.append("0007 0008 0009 .\r\n"));
        keeper.note("Voie1 au-dessus de 5 depuis 14:00:05");
        QVERIFY(keeper.close());
        const std::optional<RecordingFacts> read = RecordingFacts::read(kept);
        QVERIFY(read);
        QCOMPARE(std::tuple(read->live, read->port, read->startOrigin, read->excursions),
                 std::tuple(true, QString("COM2"), StartOrigin::Arrival,
                            QStringList{"Voie1 au-dessus de 5 depuis 14:00:05"}));
        const QDateTime first(QDate(2026, 12, 6), QTime(14, 0, 0));
        QCOMPARE(read->arrivals, (QList<std::pair<qint64, QDateTime>>{
                                     {0, first}, {1, first.addSecs(2)}, {2, first.addSecs(5)}}));
        QCOMPARE(read->clock().at(1), first.addSecs(2));

        // A long reading: its arrivals come back whole, and fewer of them later replace them all;
        // the other sections stay.
        RecordingFacts day = *read;
        day.arrivals.clear();
        for (int i = 0; i < 30000; ++i)
            day.arrivals.append({i, first.addMSecs(1500LL * i)});
        QVERIFY(day.save(kept));
        QCOMPARE(RecordingFacts::read(kept)->arrivals, day.arrivals);
        day.arrivals.resize(2);
        day.excursions.clear();
        QVERIFY(day.save(kept));
        QCOMPARE(RecordingFacts::read(kept), day);
        QVERIFY(!readFile(kept).contains("\r\n3=") && readFile(kept).contains("[enregistrement]"));
    }

    // "Date et heure" follows the time: each row's moment, across midnight and from the first
    // row exported; with milliseconds only when the interval has some; absent without a clock.
    void theMeasuresGiveEachRowsDateAndTimeWhenTheStartIsKnown() {
        const QByteArray recording = "0001 0002 0003 .\r\n0004 0005 0006 .\r\n0007 .\r\n";
        const auto measures = [&](const MeasuresLayout &layout) {
            QBuffer in, out;
            in.setData(recording);
            in.open(QIODevice::ReadOnly);
            out.open(QIODevice::WriteOnly);
            writeMeasures(in, out, layout);
            return out.data().mid(3); // after the byte-order mark
        };
        MeasuresLayout layout;
        layout.interval = 30;
        layout.clock = {QDateTime(QDate(2026, 12, 6), QTime(23, 59, 15)), 30, {}};
        QCOMPARE(measures(layout), QByteArray("Temps (s);Date et heure;Voie1;Voie2;Voie3\r\n"
                                              "0;2026-12-06 23:59:15;1;2;3\r\n"
                                              "30;2026-12-06 23:59:45;4;5;6\r\n"
                                              "60;2026-12-07 00:00:15;7;;\r\n"));
        layout.interval = layout.clock.interval = 0.25;
        layout.firstRow = 10;
        QVERIFY(measures(layout).contains("\r\n2.5;2026-12-06 23:59:17.500;1;2;3\r\n"));
        // A real-time reading: each row at its chunk's arrival, whatever the interval.
        layout = MeasuresLayout();
        const QDateTime arrival(QDate(2026, 12, 6), QTime(8, 0, 0));
        layout.clock = {arrival, 0, {{0, arrival}, {2, arrival.addSecs(3)}}};
        QCOMPARE(measures(layout), QByteArray("Date et heure;Voie1;Voie2;Voie3\r\n"
                                              "2026-12-06 08:00:00;1;2;3\r\n"
                                              "2026-12-06 08:00:00;4;5;6\r\n"
                                              "2026-12-06 08:00:03;7;;\r\n"));
        layout.clock = {};
        QVERIFY(measures(layout).startsWith("Voie1;Voie2;Voie3\r\n"));
    }

    // Beside itself when run from a build; an installed program (reached through a link, a merged
    // /bin say) never writes in the installation and makes its data folder at its first run.
    void theFilesGoBesideABuiltProgramOrIntoTheDataFolderOfAnInstalledOne() {
        // Installed: run from the installation's own bin, however that is written.
        const std::tuple<const char *, const char *, bool> runs[] = {
            {"/usr/bin", "/usr/bin", true},
            {"/usr/lib/../bin/", "/usr//bin", true},
            {"/home/ana/extrait/usr/bin", "/usr/bin", false}, // an unpacked package
            {"/usr/local/bin", "/usr/bin", false},
            {"/usr/bin", "", false}}; // no installation known
        for (const auto &[application, installBin, installed] : runs)
            QVERIFY2(runsFromInstallation(application, installBin) == installed, application);
        QCOMPARE(programDirectory(), QCoreApplication::applicationDirPath());
        QTemporaryDir dir;
        const QString bin = dir.filePath("usr/bin"), data = dir.filePath("home/.local/Volterne");
        QVERIFY(QDir().mkpath(bin) && QFile::link(bin, dir.filePath("bin")));
        QCOMPARE(programDirectory(bin, QString(), data), bin);
        QVERIFY(!QFileInfo::exists(data));
        QCOMPARE(programDirectory(dir.filePath("bin"), bin, data), data);
        QVERIFY(QFileInfo(data).isDir());
    }
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
