// What the board simulator does beyond the answers the window tests run against: commands that
// arrive byte by byte among stray bytes, silence, the log of received bytes, the port entry it
// records, and its orderly end.
#include "bytes.h"
#include "data/profile.h"
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
        receive.AppendFlag = 1;
        QVERIFY(port.open());
        // Noise, pieces of other words, then "Param" with the period 300.
        for (const char byte : QByteArray(1, '\0') + "\xFFTRaParParam\x2C\x01\x01")
            port.write(QByteArray(1, byte));
        QTRY_VERIFY_WITH_TIMEOUT(receive.receiveBuffer().contains("Periode=300"),
                                 Simulator::kPatienceMs);
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
                profile.value("Config", "port") == "3");

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
