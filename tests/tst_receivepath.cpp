// The receive path: bursts gathered into chunks by the 100 ms tick, and what the receive flags
// make of each chunk.
#include "fakeboard.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;

class ReceivePathTest : public QObject {
    Q_OBJECT

private slots:
    void aLongStreamReachesTheReceiveBufferWholeAndInOrder() {
        FakeBoard board;
        board.open();
        ReceivePath receive(board);
        receive.AppendFlag = 1;
        QByteArrayList chunks;
        connect(&receive, &ReceivePath::latestChunkChanged, this, [&] {
            if (!receive.latestChunk().isEmpty()) chunks << receive.latestChunk();
        });
        // 24 lines, one every 30 ms: a continuous transmission that spans several ticks.
        QByteArrayList lines;
        for (int line = 0; line < 24; ++line)
            lines << QByteArray::number(1000 + line) + " 0A1B 0C2D 0E3F .\r\n";
        const QByteArray stream = lines.join();
        QTimer pacer;
        connect(&pacer, &QTimer::timeout, this, [&] {
            board.deliver(lines.takeFirst());
            if (lines.isEmpty()) pacer.stop();
        });
        pacer.start(30ms);
        QTRY_COMPARE(receive.receiveBuffer(), stream);
        QVERIFY2(chunks.size() > 1, "the stream should have been read in several ticks");
        QCOMPARE(chunks.join(), stream);
    }

    void receiveEventsOfOneBurstGiveOneTickAndOneChunk() {
        FakeBoard board;
        board.open();
        ReceivePath receive(board);
        QSignalSpy ticks(&receive.timer2(), &QTimer::timeout);
        receive.MSComm1_OnComm(1); // not a receive event
        QVERIFY(!receive.timer2().isActive());
        board.deliver("PIC ");
        const int firstTimer = receive.timer2().timerId();
        board.deliver("1"); // neither restarts the tick nor adds one
        QCOMPARE(receive.timer2().timerId(), firstTimer);
        QTimer::singleShot(50ms, &board, [&] { board.deliver("6F88"); });
        QTRY_COMPARE(receive.latestChunk(), QByteArray("PIC 16F88"));
        QCOMPARE(ticks.size(), 1);
        QVERIFY(!receive.timer2().isActive());
    }

    void receiveFlagsDecideWhatTheReceiveBufferMakesOfEveryByteOfAChunk_data() {
        QTest::addColumn<int>("replaceFlag");
        QTest::addColumn<int>("appendFlag");
        QTest::addColumn<QByteArray>("expected");
        // The receive buffer holds "earlier" when a chunk of all 256 byte values arrives.
        QTest::newRow("copied") << 1 << 0 << allBytes();
        QTest::newRow("appended") << 0 << 1 << "earlier" + allBytes();
        QTest::newRow("left alone") << 0 << 0 << QByteArray("earlier");
        QTest::newRow("copied, then appended") << 1 << 1 << allBytes() + allBytes();
    }

    void receiveFlagsDecideWhatTheReceiveBufferMakesOfEveryByteOfAChunk() {
        QFETCH(int, replaceFlag);
        QFETCH(int, appendFlag);
        QFETCH(QByteArray, expected);
        FakeBoard board;
        board.open();
        ReceivePath receive(board);
        receive.setReceiveBuffer("earlier");
        receive.ReplaceFlag = qint16(replaceFlag);
        receive.AppendFlag = qint16(appendFlag);
        board.deliver(allBytes());
        QTRY_COMPARE(receive.latestChunk(), allBytes());
        QCOMPARE(receive.receiveBuffer(), expected);
    }

    void aTickThatFindsThePortClosedReopensItBeforeReading() {
        FakeBoard board;
        ReceivePath receive(board);
        board.deliver("Temps reel");
        receive.Timer2_Timer();
        QCOMPARE(board.calls, QStringList({"open", "read"}));
        QCOMPARE(receive.latestChunk(), QByteArray("Temps reel"));
    }
};

QTEST_GUILESS_MAIN(ReceivePathTest)
#include "tst_receivepath.moc"
