#include "app/profile.h"
#include "simulator.h"

#include <QFile>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>

using namespace std::chrono_literals;

namespace {

// Short timings so that a round of announcements takes under two seconds; the gap stays above the
// program's 100 ms gathering time, so bursts remain apart.
const QStringList kFast = {"--cycle-ms", "600", "--gap-ms",    "300",
                           "--erase-ms", "200", "--line-rate", "0"};

// Bytes closer together than this belong to one burst, as the program gathers them.
constexpr auto kBurstQuiet = 100ms;
constexpr auto kPatience = 20s;

int msecs(std::chrono::milliseconds duration) {
    return int(duration.count());
}

const QString kSample = "[0-3][0-9A-F]{3} [0-3][0-9A-F]{3} [0-3][0-9A-F]{3} \\.\\r\\n";
const QString kDumpLine = "(?:[0-9A-F]{2} ){15}[0-9A-F]{2}\\r\\n";

// The program's end of the line: a real serial port at 9600 8N1 on the simulator's device.
class Line {
public:
    explicit Line(const QString &device) {
        m_port.setPortName(device);
        m_port.setBaudRate(QSerialPort::Baud9600);
        m_port.setDataBits(QSerialPort::Data8);
        m_port.setParity(QSerialPort::NoParity);
        m_port.setStopBits(QSerialPort::OneStop);
        m_port.setFlowControl(QSerialPort::NoFlowControl);
        m_port.open(QIODevice::ReadWrite);
    }
    bool isOpen() const { return m_port.isOpen(); }
    QSerialPort &port() { return m_port; }

    // The next burst: bytes up to the first quiet spell. Empty if nothing comes at all.
    QByteArray burst() {
        QByteArray bytes = m_port.readAll();
        if (bytes.isEmpty() && !QSignalSpy(&m_port, &QSerialPort::readyRead).wait(msecs(kPatience)))
            return {};
        for (bytes += m_port.readAll();; bytes += m_port.readAll()) {
            if (!QSignalSpy(&m_port, &QSerialPort::readyRead).wait(msecs(kBurstQuiet)))
                return bytes;
        }
    }

    // Skips bursts (old announcements, stray bytes) until one is exactly text.
    bool awaitBurst(const QByteArray &text) {
        for (int burstsLeft = 30; burstsLeft > 0; --burstsLeft) {
            if (burst() == text) return true;
        }
        return false;
    }

    // One write, as the program makes it.
    [[nodiscard]] bool write(const QByteArray &bytes) {
        return m_port.write(bytes) == bytes.size() && m_port.waitForBytesWritten(msecs(kPatience));
    }

private:
    QSerialPort m_port;
};

} // namespace

class BoardSimulatorTest : public QObject {
    Q_OBJECT

private slots:
    void announcesTheBannerAndEachOperationAsBurstsOfTheirOwn();
    void answersEachCommandLikeTheBoard_data();
    void answersEachCommandLikeTheBoard();
    void servesAFileByteForByte();
    void staysSilentButLogsWhatItReceives();
    void recordsItsDeviceInTheSettingsFile();
};

void BoardSimulatorTest::announcesTheBannerAndEachOperationAsBurstsOfTheirOwn() {
    Simulator board(kFast);
    QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
    const QList<QByteArray> round = {"PIC 16F88", "RAZ",        "Transfert",
                                     "Param",     "Temps reel", "eeprom"};
    // Twice, closing and reopening the device in between as the program does.
    for (int pass = 0; pass < 2; ++pass) {
        Line line(board.devicePath());
        QVERIFY(line.isOpen());
        QVERIFY(line.awaitBurst(round.first()));
        for (const QByteArray &name : round.mid(1))
            QCOMPARE(line.burst(), name);
        QCOMPARE(line.burst(), round.first());
    }
}

void BoardSimulatorTest::answersEachCommandLikeTheBoard_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("name");    // what the board offers before the command is sent
    QTest::addColumn<QByteArray>("command"); // word, then trailer in a second write
    QTest::addColumn<QByteArray>("trailer");
    QTest::addColumn<bool>("bytewise");     // every byte written on its own
    QTest::addColumn<QStringList>("reply"); // patterns of the bursts that follow, in order

    const QByteArray ones = "\x01\x01\x01";
    QTest::newRow("memory reset") << kFast << QByteArray("RAZ") << QByteArray("RAZ") << ones
                                  << false << QStringList{"RAZ"};
    QTest::newRow("download") << kFast + QStringList{"--samples", "5"} << QByteArray("Transfert")
                              << QByteArray("Transfert") << ones << false
                              << QStringList{QString("(?:%1){5}Effectue\\r\\n").arg(kSample)};
    QTest::newRow("period 600") << kFast << QByteArray("Param") << QByteArray("Param")
                                << QByteArray("\x58\x02\x01") << false
                                << QStringList{"Periode=600"};
    QTest::newRow("period 256") << kFast << QByteArray("Param") << QByteArray("Param")
                                << QByteArray("\x00\x01\x01", 3) << false
                                << QStringList{"Periode=256"};
    QTest::newRow("real time") << kFast + QStringList{"--live-ms", "300", "--live-count", "2"}
                               << QByteArray("Temps reel") << QByteArray("TR") << ones << false
                               << QStringList{"Temps reel actif", kSample, kSample};
    QTest::newRow("eeprom") << kFast << QByteArray("eeprom") << QByteArray("eeprom") << ones
                            << false << QStringList{QString("(?:%1){16}").arg(kDumpLine), "eeprom"};
    QTest::newRow("command byte by byte")
        << kFast << QByteArray("Param") << QByteArray("Param") << QByteArray("\x2C\x01\x01") << true
        << QStringList{"Periode=300"};
    QTest::newRow("command after stray bytes")
        << kFast << QByteArray("RAZ") << QByteArray("\x00\xFFTRaParRAZ", 11) << ones << false
        << QStringList{"RAZ"};
    QTest::newRow("download, end split")
        << kFast + QStringList{"--samples", "2", "--fault", "split-end"} << QByteArray("Transfert")
        << QByteArray("Transfert") << ones << false
        << QStringList{QString("(?:%1){2}Effe").arg(kSample), "ctue\\r\\n"};
    QTest::newRow("eeprom, end split")
        << kFast + QStringList{"--fault", "split-end"} << QByteArray("eeprom")
        << QByteArray("eeprom") << ones << false
        << QStringList{QString("(?:%1){16}").arg(kDumpLine), "eep", "rom"};
}

void BoardSimulatorTest::answersEachCommandLikeTheBoard() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, trailer);
    QFETCH(bool, bytewise);
    QFETCH(QStringList, reply);

    Simulator board(arguments);
    QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
    Line line(board.devicePath());
    QVERIFY(line.isOpen());
    QVERIFY(line.awaitBurst("PIC 16F88"));
    QVERIFY(line.awaitBurst(name));

    if (bytewise) {
        for (char byte : command + trailer)
            QVERIFY(line.write(QByteArray(1, byte)));
    } else {
        QVERIFY(line.write(command));
        QVERIFY(line.write(trailer));
    }
    for (const QString &pattern : reply) {
        const QByteArray burst = line.burst();
        const QRegularExpression expected(QRegularExpression::anchoredPattern(pattern));
        QVERIFY2(expected.match(QString::fromLatin1(burst)).hasMatch(), burst.constData());
    }
    // The board then announces itself again.
    QCOMPARE(line.burst(), QByteArray("PIC 16F88"));
}

void BoardSimulatorTest::servesAFileByteForByte() {
    QTemporaryDir dir;
    QByteArray everyByte;
    for (int value = 0; value < 256; ++value)
        everyByte += char(value);
    QFile file(dir.filePath("memory.bin"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(everyByte) == 256);
    file.close();

    Simulator board(kFast + QStringList{"--serve", file.fileName()});
    QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
    Line line(board.devicePath());
    QVERIFY(line.awaitBurst("Transfert"));
    QVERIFY(line.write("Transfert"));
    QVERIFY(line.write("\x01\x01\x01"));
    QCOMPARE(line.burst(), everyByte + "Effectue\r\n");
}

void BoardSimulatorTest::staysSilentButLogsWhatItReceives() {
    QTemporaryDir dir;
    const QString log = dir.filePath("received.log");
    Simulator board({"--silent", "--cycle-ms", "600", "--log", log});
    QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
    Line line(board.devicePath());
    QVERIFY(line.isOpen());
    QVERIFY(line.write("RAZ"));
    QVERIFY(line.write("\x01\x01\x01"));

    // Each line of the log: milliseconds since start, the bytes in hex, a printable rendering.
    QByteArray hex;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            QFile file(log);
            if (!file.open(QIODevice::ReadOnly)) return false;
            hex.clear();
            for (const QByteArray &entry : file.readAll().split('\n')) {
                const QList<QByteArray> fields = entry.split('\t');
                if (fields.size() == 3) hex += fields[1] + ' ';
            }
            return hex.trimmed() == "52 41 5A 01 01 01";
        }(),
        20000);
    // Two whole rounds of announcements would have come by now.
    QVERIFY(!QSignalSpy(&line.port(), &QSerialPort::readyRead).wait(4000));
    QCOMPARE(line.port().bytesAvailable(), 0);
}

void BoardSimulatorTest::recordsItsDeviceInTheSettingsFile() {
    QTemporaryDir dir;
    const QString ini = dir.filePath("param.ini");
    QFile file(ini);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Config]\r\nport=3\r\n[ports]\r\nCOM1=/dev/ttyUSB0\r\n");
    file.close();

    Simulator board({"--silent", "--wire", "COM4", "--ini", ini});
    QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
    const Profile profile(ini);
    QCOMPARE(profile.value("ports", "COM4"), board.devicePath().toLocal8Bit());
    QCOMPARE(profile.value("ports", "COM1"), QByteArray("/dev/ttyUSB0"));
    QCOMPARE(profile.value("Config", "port"), QByteArray("3"));

    // A termination signal ends it in order.
    board.process().terminate();
    QVERIFY(board.process().waitForFinished(msecs(kPatience)));
    QCOMPARE(board.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(board.process().exitCode(), 0);
}

QTEST_GUILESS_MAIN(BoardSimulatorTest)
#include "tst_boardsim.moc"
