// What the board simulator does beyond the answers the window tests run against: commands that
// arrive byte by byte among stray bytes, a memory that RAZ empties, silence, the log of received
// bytes, the port entry it records and selects, and its orderly end.
#include "board/operations.h"
#include "bytes.h"
#include "data/profile.h"
#include "link/dialogue.h"
#include "link/indicators.h"
#include "link/portmap.h"
#include "link/receivepath.h"
#include "link/serialtransport.h"
#include "simulator.h"

#include <QTemporaryDir>
#include <QTest>

class BoardSimulatorTest : public QObject {
    Q_OBJECT

private slots:
    void findsACommandSentByteByByteAfterStrayBytes() {
        Simulator board(kQuickBoard);
        QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
        SerialTransport port([&](int) { return board.devicePath(); });
        ReceivePath receive(port);
        receive.AppendFlag = true;
        QVERIFY(port.open());
        // Noise, pieces of other words, then "Param" with the period 300.
        for (const char byte : QByteArray(1, '\0') + "\xFFTRaParParam\x2C\x01\x01")
            port.write(QByteArray(1, byte));
        QTRY_VERIFY_WITH_TIMEOUT(receive.receiveBuffer().contains("Periode=300"),
                                 Simulator::kPatienceMs);
    }

    void razEmptiesItsMemoryUntilARealTimeReadingRecordsSamples() {
        QTemporaryDir dir;
        const QString ini = dir.filePath("nouveau/param.ini"); // a fresh installation's folder
        Simulator board(kQuickBoard + QStringList{"--samples", "5", "--live-ms", "50",
                                                  "--live-count", "3", "--wire", "COM2", "--ini",
                                                  ini});
        QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
        const Profile profile(ini);
        QCOMPARE(profile.value("COM", "valeur"), "COM2");
        SerialTransport port([&](int number) { return configuredPorts(profile).value(number); });
        port.setPortNumber(2);
        ReceivePath receive(port);
        Indicators indicators;
        SteadyClock clock;
        Dialogue dialogue(port, receive, indicators, clock);
        const auto run = [&](QCoro::Task<> &&) {
            QTRY_VERIFY_WITH_TIMEOUT(!dialogue.busy(), Simulator::kPatienceMs);
        };
        QList<qsizetype> downloaded;
        for (int round = 0; round < 3; ++round) {
            if (round > 0) run(round == 1 ? memoryReset(dialogue) : liveReading(dialogue));
            run(memoryDownload(dialogue, {QDir(dir.path()), QDate(2026, 12, 5), {}}));
            downloaded << receive.receiveBuffer().count('.');
        }
        QCOMPARE(downloaded, QList<qsizetype>({5, 0, 3}));
    }

    void staysSilentLogsWhatItReceivesRecordsItsPortAndEndsInOrder() {
        QTemporaryDir dir;
        const QString log = dir.filePath("received.log");
        const QString ini = dir.filePath("param.ini");
        QVERIFY(writeFile(ini, "[Config]\r\nport=3\r\n[ports]\r\nCOM1=/dev/ttyUSB0\r\n"));
        Simulator board(
            {"--silent", "--cycle-ms", "600", "--log", log, "--wire", "COM4", "--ini", ini});
        QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
        const Profile profile(ini);
        QCOMPARE(configuredPorts(profile).value(4), board.devicePath());
        QVERIFY(profile.value("ports", "COM1") == "/dev/ttyUSB0" &&
                profile.value("Config", "port") == "3" && profile.value("COM", "valeur") == "COM4");

        SerialTransport port([&](int number) { return configuredPorts(profile).value(number); });
        port.setPortNumber(4);
        ReceivePath receive(port);
        QVERIFY(port.open());
        port.write("RAZ");
        port.write("\x01\x01\x01");
        // Each line of the log: milliseconds since start, the bytes in hex, a printable rendering.
        const auto loggedHex = [&] {
            QByteArray hex;
            for (const QByteArray &entry : readFile(log).split('\n'))
                if (const QByteArrayList fields = entry.split('\t'); fields.size() == 3)
                    hex += fields[1] + ' ';
            return hex.trimmed();
        };
        QTRY_COMPARE_WITH_TIMEOUT(loggedHex(), QByteArray("52 41 5A 01 01 01"),
                                  Simulator::kPatienceMs);
        QTest::qWait(1500); // more than two rounds of announcements, had it not been silent
        QCOMPARE(receive.latestChunk(), QByteArray());
        QVERIFY(!receive.timer2().isActive());

        board.process().terminate();
        QVERIFY(board.process().waitForFinished(Simulator::kPatienceMs));
        QCOMPARE(board.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(board.process().exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(BoardSimulatorTest)
#include "tst_boardsim.moc"
