// Real-time reading for 10 minutes of simulated time: the board's sample lines at the line rate
// (960 bytes a second, 96 bytes each 100 ms receive tick) reach the real window, shown offscreen,
// with ReplaceFlag set as real-time reading leaves it, so that every chunk replaces the receive
// area. The 6000 ticks are handed over as Timer2 hands them, without waiting for the clock.
// Prints the resident memory at the end of each simulated minute and its growth after the first
// minute, which stays near zero when nothing accumulates.
//
// Then "Enregistrer la lecture": 6000 chunks of the same size handed to the window as the port
// delivers them, each appended to temps_reel_*.txt; prints the processor time (user and system)
// they cost against the 600 s they take at the line rate.
#include "benchdata.h"
#include "data/sampleline.h"
#include "rig.h"

#include <QApplication>

#include <QCheckBox>

#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kTicksPerMinute = 600;
constexpr int kMinutes = 10;
constexpr qsizetype kTickBytes = 96;

double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    WindowRig rig(kNoDevice);
    Form2 &window = *rig.window;
    window.show();
    ReceivePath &receive = window.receive();
    receive.ReplaceFlag = true;

    QByteArray stream;
    quint32 state = 7;
    qint64 line = 0;
    double afterFirstMinute = 0;
    std::printf("%8s %12s\n", "minute", "memory MB");
    for (int minute = 1; minute <= kMinutes; ++minute) {
        for (int tick = 0; tick < kTicksPerMinute; ++tick) {
            while (stream.size() < kTickBytes) {
                state = state * 1103515245u + 12345u;
                const int reading = int((state >> 16) & 0x3FF);
                stream += sampleLine({reading, int(line % 1024), 1023 - reading});
                ++line;
            }
            receive.setLatestChunk({});
            receive.setLatestChunk(stream.left(kTickBytes));
            stream.remove(0, kTickBytes);
            QCoreApplication::processEvents();
        }
        const double memory = residentMegabytes();
        if (minute == 1) afterFirstMinute = memory;
        std::printf("%8d %12.1f\n", minute, memory);
        std::fflush(stdout);
    }
    const double growth = 100.0 * (residentMegabytes() - afterFirstMinute) / afterFirstMinute;
    std::printf("growth after the first minute: %.2f %% (%lld lines shown one chunk at a time)\n",
                growth, qlonglong(line));

    ui(window).graphique->keepLiveBox()->setChecked(true);
    const int chunks = kTicksPerMinute * kMinutes;
    QList<QByteArray> received;
    for (int tick = 0; tick < chunks; ++tick)
        received << sampleLine({tick % 1024, 0, 1023}).repeated(6).left(kTickBytes);
    const double before = processorSeconds();
    for (const QByteArray &chunk : received)
        emit receive.chunkReceived(chunk);
    const double spent = processorSeconds() - before;
    const double lineSeconds = chunks * ReceivePath::kTickInterval.count() / 1000.0;
    std::printf("keeping the reading: %.1f us a chunk, %.4f %% of one core at the line rate "
                "(%lld bytes in %s)\n",
                1e6 * spent / chunks, 100.0 * spent / lineSeconds,
                qlonglong(QFileInfo(window.liveKeeper().path()).size()),
                qPrintable(QFileInfo(window.liveKeeper().path()).fileName()));
    return 0;
}
