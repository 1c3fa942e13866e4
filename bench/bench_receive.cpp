// Speed of the receive path with the real window: board data streamed through a pseudo-terminal
// into ReceiveBuffer while AppendFlag is set, as during a download. 4 MB and 1 MB, each into a
// fresh window; the ratio of the two times shows whether the cost grows in proportion to the
// size (4.0 when it does). Each chunk is also appended to Text1 on screen, which is part of the
// cost. The data comes from this process, written to the master side whenever the line accepts
// more, so the figure is the program's speed, not the line's. Last, the processor time of one
// chunk of the board's own size, before and after the receive area holds 4 MB.
#include "benchdata.h"
#include "pseudoterminal.h"
#include "rig.h"

#include <QApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <optional>

namespace {

using WallClock = std::chrono::steady_clock;

constexpr qint64 kMegabyte = 1000 * 1000;
constexpr int kRuns = 3;
// What one receive tick gathers from a board sending without pause at 9600 baud.
constexpr qsizetype kBoardChunk = 96;
constexpr int kSmallChunks = 1000;
// Gives up on a run that stalls, so a broken receive path shows as a failure, not a hang.
constexpr std::chrono::minutes kGiveUp{5};

struct Run {
    double seconds = 0;
    bool complete = false;
    bool exact = false;
    int chunks = 0;
};

// Streams `data` into a new window's ReceiveBuffer and times it.
Run streamThroughWindow(const QByteArray &data, bool shown) {
    Run run;
    PseudoTerminal line;
    QString error;
    if (!line.open(&error)) {
        std::fprintf(stderr, "pseudo-terminal: %s\n", qPrintable(error));
        return run;
    }
    const QString device = line.slavePath();
    WindowRig rig(device);
    Form2 &window = *rig.window;
    if (shown) window.show();
    window.Command10_MouseDown(Qt::LeftButton);
    if (!rig.port.isOpen()) {
        std::fprintf(stderr, "the window could not open %s\n", qPrintable(device));
        return run;
    }
    window.receive().AppendFlag = true;

    QEventLoop loop;
    const qint64 total = data.size();
    qint64 sent = 0;
    std::optional<WallClock::time_point> start;
    WallClock::time_point end;

    QSocketNotifier writable(line.masterDescriptor(), QSocketNotifier::Write);
    auto feed = [&] {
        if (!start) start = WallClock::now();
        while (sent < total) {
            const qint64 written = line.write(data.mid(sent, 64 * 1024));
            if (written <= 0) break; // line full (or broken): wait for the next write readiness
            sent += written;
        }
        if (sent == total) writable.setEnabled(false);
    };
    QObject::connect(&writable, &QSocketNotifier::activated, &loop, feed);
    QObject::connect(&window.receive(), &ReceivePath::receiveBufferAppended, &loop, [&] {
        ++run.chunks;
        if (window.receive().receiveBuffer().size() >= total) {
            end = WallClock::now();
            run.complete = true;
            loop.quit();
        }
    });
    QTimer::singleShot(kGiveUp, &loop, &QEventLoop::quit);
    feed();
    loop.exec();

    if (!run.complete) end = WallClock::now();
    run.seconds = std::chrono::duration<double>(end - *start).count();
    run.exact = window.receive().receiveBuffer() == data;
    return run;
}

// Cost of chunks of the board's own size (what a tick gathers at 9600 baud) on their way from
// Text2 to Text1 and onto the screen, when ReceiveBuffer is empty and when it already holds
// `filling`: the same when an append does not depend on what is there already. The chunks
// go in as Timer2 hands them over, by setting LatestChunk, with the window's events (painting
// included) run after each one. Measured in processor time, which other programs on the machine
// disturb less than the wall clock.
struct ChunkCost {
    double emptyMicroseconds = 0;
    double filledMicroseconds = 0;
    bool exact = false;
};

std::chrono::nanoseconds processorTime() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

ChunkCost smallChunks(const QByteArray &data, const QByteArray &filling, bool shown) {
    WindowRig rig(QStringLiteral("/dev/volterne-unused"));
    Form2 &window = *rig.window;
    if (shown) window.show();
    QCoreApplication::processEvents();
    ReceivePath &receive = window.receive();
    receive.AppendFlag = true;

    const qsizetype half = data.size() / 2;
    auto feed = [&](QByteArrayView part) {
        const auto start = processorTime();
        qsizetype count = 0;
        for (qsizetype at = 0; at < part.size(); at += kBoardChunk, ++count) {
            receive.setLatestChunk({});
            receive.setLatestChunk(
                part.sliced(at, qMin(kBoardChunk, part.size() - at)).toByteArray());
            QCoreApplication::processEvents();
        }
        return std::chrono::duration<double, std::micro>(processorTime() - start).count() / count;
    };
    ChunkCost cost;
    cost.emptyMicroseconds = feed(QByteArrayView(data).first(half));
    receive.setLatestChunk(filling);
    QCoreApplication::processEvents();
    cost.filledMicroseconds = feed(QByteArrayView(data).sliced(half));
    cost.exact = receive.receiveBuffer() == data.first(half) + filling + data.sliced(half);
    return cost;
}

void report(const char *label, qint64 size, const Run &run) {
    std::printf("%-5s %6.2f s  %6.2f MB/s  %5d chunks  %s%s\n", label, run.seconds,
                size / 1e6 / run.seconds, run.chunks, run.exact ? "OK" : "MISMATCH",
                run.complete ? "" : " (incomplete)");
}

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // --hidden: the window is never shown (no painting); --runs N: N runs instead of 3.
    const QStringList arguments = app.arguments();
    const bool shown = !arguments.contains(QStringLiteral("--hidden"));
    const qsizetype runsAt = arguments.indexOf(QStringLiteral("--runs"));
    const int runs = runsAt > 0 && runsAt + 1 < arguments.size()
                         ? qMax(1, arguments.at(runsAt + 1).toInt())
                         : kRuns;

    const QByteArray small = boardData(1 * kMegabyte);
    const QByteArray large = boardData(4 * kMegabyte);
    std::printf("receive path, AppendFlag set, window %s\n", shown ? "shown" : "hidden");

    bool allExact = true;
    double bestOne = 0;
    double bestFour = 0;
    for (int i = 1; i <= runs; ++i) {
        const Run one = streamThroughWindow(small, shown);
        const Run four = streamThroughWindow(large, shown);
        std::printf("run %d\n", i);
        report("1 MB", small.size(), one);
        report("4 MB", large.size(), four);
        std::printf("time(4 MB) / time(1 MB): %.2f\n", four.seconds / one.seconds);
        allExact = allExact && one.exact && four.exact && one.complete && four.complete;
        bestOne = i == 1 ? one.seconds : std::min(bestOne, one.seconds);
        bestFour = i == 1 ? four.seconds : std::min(bestFour, four.seconds);
    }
    // The fastest run is the one the rest of the machine disturbed least.
    std::printf("best of %d: 1 MB %.2f MB/s, 4 MB %.2f MB/s, time(4 MB) / time(1 MB): %.2f\n", runs,
                small.size() / 1e6 / bestOne, large.size() / 1e6 / bestFour, bestFour / bestOne);

    // A run above brings its megabytes in a few large chunks; a download from the board brings
    // them a tenth of a second at a time.
    const ChunkCost cost = smallChunks(boardData(2 * kSmallChunks * kBoardChunk), large, shown);
    std::printf("chunks of %lld bytes, each shown before the next (processor time)\n",
                qlonglong(kBoardChunk));
    std::printf("into an empty buffer:  %7.0f us per chunk\n", cost.emptyMicroseconds);
    std::printf("after the first 4 MB:  %7.0f us per chunk  %s\n", cost.filledMicroseconds,
                cost.exact ? "OK" : "MISMATCH");
    std::printf("ratio: %.2f\n", cost.filledMicroseconds / cost.emptyMicroseconds);
    allExact = allExact && cost.exact;
    return allExact ? 0 : 1;
}
