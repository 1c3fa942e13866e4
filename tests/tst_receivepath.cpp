#include "fakeboard.h"

#include "link/pseudoterminal.h"
#include "link/receivepath.h"
#include "link/serialtransport.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;

namespace {

QByteArray everyByteValue() {
    QByteArray bytes;
    for (int value = 0; value < 256; ++value)
        bytes.append(char(value));
    return bytes;
}

} // namespace

class ReceivePathTest : public QObject {
    Q_OBJECT

private slots:
    void aLongStreamReachesTheReceiveBufferWholeAndInOrder();
    void receiveEventsOfOneBurstGiveOneTickAndOneChunk();
    void receiveFlagsDecideWhatTheReceiveBufferMakesOfAChunk_data();
    void receiveFlagsDecideWhatTheReceiveBufferMakesOfAChunk();
    void everyByteValuePassesUnchanged();
    void aTickThatFindsThePortClosedReopensItBeforeReading();
    void aSerialPortCarriesEveryByteValueBothWays();
    void aSerialPortThatCannotOpenOrIsLostSaysSoAndStaysClosed();
};

void ReceivePathTest::aLongStreamReachesTheReceiveBufferWholeAndInOrder() {
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
    pacer.setInterval(30ms);
    connect(&pacer, &QTimer::timeout, this, [&] {
        board.deliver(lines.takeFirst());
        if (lines.isEmpty()) pacer.stop();
    });
    pacer.start();

    QTRY_COMPARE(receive.receiveBuffer(), stream);
    QVERIFY2(chunks.size() > 1, "the stream should have been read in several ticks");
    QCOMPARE(chunks.join(), stream);
    QCOMPARE(receive.latestChunk(), chunks.last());
}

void ReceivePathTest::receiveEventsOfOneBurstGiveOneTickAndOneChunk() {
    FakeBoard board;
    board.open();
    ReceivePath receive(board);
    QSignalSpy ticks(&receive.timer2(), &QTimer::timeout);

    receive.MSComm1_OnComm(1); // not a receive event
    QVERIFY(!receive.timer2().isActive());

    board.deliver("PIC ");
    QVERIFY(receive.timer2().isActive());
    // A later receive event of the same burst neither restarts the tick nor adds one.
    const int firstTimer = receive.timer2().timerId();
    board.deliver("1");
    QCOMPARE(receive.timer2().timerId(), firstTimer);

    QTimer::singleShot(50ms, &board, [&] { board.deliver("6F88"); });
    QTRY_COMPARE(receive.latestChunk(), QByteArray("PIC 16F88"));
    QCOMPARE(ticks.size(), 1);
    QVERIFY(!receive.timer2().isActive());
    // Nothing is left for a second tick.
    QVERIFY(!ticks.wait(300));
}

void ReceivePathTest::receiveFlagsDecideWhatTheReceiveBufferMakesOfAChunk_data() {
    QTest::addColumn<int>("replaceFlag");
    QTest::addColumn<int>("appendFlag");
    QTest::addColumn<QByteArray>("expected");

    // The receive buffer holds "earlier" when the chunk "newest" arrives.
    QTest::newRow("copied") << 1 << 0 << QByteArray("newest");
    QTest::newRow("appended") << 0 << 1 << QByteArray("earliernewest");
    QTest::newRow("left alone") << 0 << 0 << QByteArray("earlier");
    QTest::newRow("copied, then appended") << 1 << 1 << QByteArray("newestnewest");
}

void ReceivePathTest::receiveFlagsDecideWhatTheReceiveBufferMakesOfAChunk() {
    QFETCH(int, replaceFlag);
    QFETCH(int, appendFlag);
    QFETCH(QByteArray, expected);

    FakeBoard board;
    board.open();
    ReceivePath receive(board);
    receive.setReceiveBuffer("earlier");
    receive.ReplaceFlag = qint16(replaceFlag);
    receive.AppendFlag = qint16(appendFlag);

    board.deliver("newest");
    receive.Timer2_Timer();

    QCOMPARE(receive.latestChunk(), QByteArray("newest"));
    QCOMPARE(receive.receiveBuffer(), expected);
}

void ReceivePathTest::everyByteValuePassesUnchanged() {
    FakeBoard board;
    board.open();
    ReceivePath receive(board);
    receive.AppendFlag = 1;
    const QByteArray bytes = everyByteValue();

    board.deliver(bytes);
    QTRY_COMPARE(receive.latestChunk(), bytes);
    QCOMPARE(receive.receiveBuffer(), bytes);
}

void ReceivePathTest::aTickThatFindsThePortClosedReopensItBeforeReading() {
    FakeBoard board;
    ReceivePath receive(board);
    board.deliver("Temps reel");
    QVERIFY(!board.isOpen());

    receive.Timer2_Timer();

    QCOMPARE(board.calls, QStringList({"open", "read"}));
    QCOMPARE(receive.latestChunk(), QByteArray("Temps reel"));
}

void ReceivePathTest::aSerialPortCarriesEveryByteValueBothWays() {
    PseudoTerminal line;
    QString error;
    QVERIFY2(line.open(&error), qPrintable(error));
    SerialTransport port([&](int) { return line.slavePath(); });
    QStringList problems;
    connect(&port, &Transport::problem, this, [&](const QString &text) { problems << text; });
    QVERIFY(port.open());
    ReceivePath receive(port);
    receive.AppendFlag = 1;
    const QByteArray bytes = everyByteValue();

    QCOMPARE(line.write(bytes), bytes.size());
    QTRY_COMPARE(receive.receiveBuffer(), bytes);

    port.write(bytes);
    QByteArray atBoard;
    QTRY_COMPARE((atBoard += line.readAll()), bytes);
    QCOMPARE(problems, QStringList());
}

void ReceivePathTest::aSerialPortThatCannotOpenOrIsLostSaysSoAndStaysClosed() {
    QString device = QStringLiteral("/dev/volterne-no-such-port");
    SerialTransport port([&](int) { return device; });
    port.setPortNumber(3);
    QStringList problems;
    connect(&port, &Transport::problem, this, [&](const QString &text) { problems << text; });

    QVERIFY(!port.open());
    QVERIFY(!port.isOpen());
    port.write("RAZ");
    QCOMPARE(problems.size(), 2);
    QVERIFY2(problems[0].startsWith("Impossible d'ouvrir le port COM3"), qPrintable(problems[0]));
    QVERIFY2(problems[1].contains("rien n'a été envoyé"), qPrintable(problems[1]));

    // The device goes away while open, as an unplugged adapter does; it can be opened again once
    // it is back.
    PseudoTerminal line;
    QString error;
    QVERIFY2(line.open(&error), qPrintable(error));
    device = line.slavePath();
    QVERIFY(port.open());
    problems.clear();
    line.close();
    QTRY_VERIFY(!port.isOpen());
    QCOMPARE(problems.size(), 1);
    QVERIFY2(problems[0].contains("perdu"), qPrintable(problems[0]));

    QVERIFY2(line.open(&error), qPrintable(error));
    device = line.slavePath();
    QVERIFY(port.open());
}

QTEST_GUILESS_MAIN(ReceivePathTest)
#include "tst_receivepath.moc"
