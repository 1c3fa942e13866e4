// Load: during a download, a board floods the line with random bytes as fast as a pseudo-terminal
// carries them, for 60 s (or the number of seconds given as the first argument). The board runs
// on a thread of its own, on the master side of the pseudo-terminal; the real window, shown
// offscreen, runs the download on the other side.
//
// Prints the event-loop lag (how late a 10 ms timer fires: its 50th, 99th percentile and maximum)
// and, every 10 s, the bytes received and the resident memory. When memory grows in proportion to
// the bytes, its growth per byte received stays the same from one line to the next.
#include "benchdata.h"
#include "pseudoterminal.h"
#include "rig.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using WallClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kLagTick = 10ms;
constexpr auto kReport = 10s;

// A block of random bytes without the download's end text, sent over and over.
QByteArray randomBlock() {
    QByteArray block(1 << 20, Qt::Uninitialized);
    QRandomGenerator generator(2026);
    do {
        for (char &c : block)
            c = char(generator.bounded(256));
    } while (block.contains("Effectue"));
    return block;
}

// Plays the board: announces itself and offers the download until the command comes, then sends
// the random block without pause for `flood`, then the end text.
void board(PseudoTerminal &line, std::chrono::seconds flood, std::atomic<qint64> &sent,
           std::atomic<bool> &flooding, std::atomic<bool> &stop) {
    const auto sendAll = [&](const QByteArray &bytes) {
        qsizetype done = 0;
        while (done < bytes.size() && !stop) {
            const qint64 written = line.write(bytes.mid(done));
            if (written > 0) {
                done += written;
                sent += written;
                continue;
            }
            pollfd writable{line.masterDescriptor(), POLLOUT, 0};
            poll(&writable, 1, 100);
        }
    };
    QByteArray heard;
    while (!heard.contains("Transfert") && !stop) {
        sendAll("PIC 16F88");
        std::this_thread::sleep_for(300ms);
        sendAll("Transfert");
        for (int wait = 0; wait < 4 && !heard.contains("Transfert"); ++wait) {
            std::this_thread::sleep_for(100ms);
            heard += line.readAll();
        }
    }
    const QByteArray block = randomBlock();
    const auto end = WallClock::now() + flood;
    sent = 0;
    flooding = true;
    while (WallClock::now() < end && !stop) {
        const qint64 written = line.write(block);
        if (written > 0) {
            sent += written;
            continue;
        }
        pollfd writable{line.masterDescriptor(), POLLOUT, 0};
        poll(&writable, 1, 100);
    }
    flooding = false;
    std::this_thread::sleep_for(300ms);
    sendAll("Effectue");
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    const std::chrono::seconds flood(argc > 1 ? std::max(1, atoi(argv[1])) : 60);

    PseudoTerminal line;
    QString error;
    if (!line.open(&error)) {
        std::fprintf(stderr, "pseudo-terminal: %s\n", qPrintable(error));
        return 1;
    }
    WindowRig rig(line.slavePath());
    Form2 &window = *rig.window;
    window.show();

    std::atomic<qint64> sent{0};
    std::atomic<bool> flooding{false};
    std::atomic<bool> stop{false};
    std::thread boardThread(board, std::ref(line), flood, std::ref(sent), std::ref(flooding),
                            std::ref(stop));

    std::vector<double> lags; // milliseconds
    WallClock::time_point previous = WallClock::now();
    QTimer lagTimer;
    lagTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&lagTimer, &QTimer::timeout, [&] {
        const auto now = WallClock::now();
        const double late =
            std::chrono::duration<double, std::milli>(now - previous - kLagTick).count();
        if (flooding) lags.push_back(std::max(0.0, late)); // the greeting and the saving left out
        previous = now;
    });

    const double startMemory = residentMegabytes();
    const auto start = WallClock::now();
    std::printf("flood of %lld s; resident memory before: %.1f MB\n", qlonglong(flood.count()),
                startMemory);
    std::printf("%8s %14s %14s %12s %18s\n", "time s", "sent MB", "received MB", "memory MB",
                "growth per MB rx");
    QTimer report;
    QObject::connect(&report, &QTimer::timeout, [&] {
        const double received = double(window.receive().receiveBuffer().size()) / 1e6;
        const double memory = residentMegabytes();
        std::printf("%8.0f %14.1f %14.1f %12.1f %18.2f\n",
                    std::chrono::duration<double>(WallClock::now() - start).count(),
                    double(sent.load()) / 1e6, received, memory,
                    received > 0 ? (memory - startMemory) / received : 0.0);
        std::fflush(stdout);
    });

    window.Command3_Click();
    QTimer::singleShot(0, [&] {
        previous = WallClock::now();
        lagTimer.start(kLagTick);
        report.start(kReport);
    });
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &app, &QCoreApplication::quit);
    giveUp.start(flood + 5min);
    QTimer ended;
    QObject::connect(&ended, &QTimer::timeout, [&] {
        if (!window.dialogue().busy()) app.quit();
    });
    ended.start(100ms);
    app.exec();
    stop = true;
    boardThread.join();

    const bool complete = !window.dialogue().busy();
    std::printf("download %s; %.1f MB received\n", complete ? "ended" : "DID NOT END",
                double(window.receive().receiveBuffer().size()) / 1e6);
    std::printf("event-loop lag over %zu ticks: median %.2f ms, 99th percentile %.2f ms, "
                "max %.2f ms\n",
                lags.size(), percentile(lags, 0.5), percentile(lags, 0.99),
                lags.empty() ? 0.0 : *std::max_element(lags.begin(), lags.end()));
    return complete ? 0 : 1;
}
