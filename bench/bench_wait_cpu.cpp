// Processor time the program uses while it waits for a board that stays silent: "RAZ mémoire"
// waits up to 15 s for the banner; over 10 s of that wait the process should be asleep nearly all
// the time, only the clock and blink timers waking it. Then the processor time of a download of
// about 18 KB that the simulated board sends at its line rate (960 bytes a second), the receive
// area and the chart growing as it arrives. The figures are the process's user + system time over
// the wall time, as a percentage of one core.
#include "rig.h"
#include "simulator.h"

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <sys/resource.h>

namespace {

using namespace std::chrono_literals;

constexpr std::chrono::seconds kWatched = 10s;
// Sample lines the simulated board holds: 18 bytes each, about 18 KB.
constexpr int kDownloadedSamples = 1000;

struct Usage {
    std::chrono::steady_clock::time_point wall;
    std::chrono::microseconds processor{};
    long contextSwitches = 0;
};

std::chrono::microseconds toDuration(const timeval &time) {
    return std::chrono::seconds(time.tv_sec) + std::chrono::microseconds(time.tv_usec);
}

Usage usageNow() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return Usage{std::chrono::steady_clock::now(),
                 toDuration(usage.ru_utime) + toDuration(usage.ru_stime),
                 usage.ru_nvcsw + usage.ru_nivcsw};
}

void printUsage(const Usage &before, const Usage &after) {
    const double wall = std::chrono::duration<double>(after.wall - before.wall).count();
    const double processor =
        std::chrono::duration<double>(after.processor - before.processor).count();
    std::printf("wall time:        %.2f s\n", wall);
    std::printf("processor time:   %.3f s\n", processor);
    std::printf("context switches: %ld\n", after.contextSwitches - before.contextSwitches);
    std::printf("processor use:    %.2f %% of one core\n", 100.0 * processor / wall);
}

// Starts the simulated board with `options` and the window against it, shown or not and painted
// once (the first paint is no part of what is measured), then runs `measure` on the window;
// false when the simulator does not start.
template <typename Measure>
bool againstBoard(const QStringList &options, bool shown, Measure measure) {
    Simulator board(options);
    if (!board.isRunning()) {
        std::fprintf(stderr, "board simulator: %s\n", qPrintable(board.errorString()));
        return false;
    }
    WindowRig rig(board.devicePath());
    if (shown) rig.window->show();
    QCoreApplication::processEvents();
    return measure(rig, *rig.window);
}

bool waitForSilentBoard(QApplication &app, bool shown) {
    return againstBoard(
        QStringList{QStringLiteral("--silent")}, shown, [&](WindowRig &rig, Form2 &window) {
            const Usage before = usageNow();
            window.Command1_Click();
            // Looked at before the loop ends: quitting closes the window, which ends the operation.
            bool waiting = false;
            QTimer::singleShot(kWatched, Qt::PreciseTimer, &app, [&] {
                waiting = window.dialogue().busy() && rig.port.isOpen();
                QCoreApplication::quit();
            });
            QApplication::exec();
            const Usage after = usageNow();

            std::printf("banner wait against a silent board, window %s\n",
                        shown ? "shown" : "hidden");
            printUsage(before, after);
            std::printf("still waiting for the banner: %s (link status \"%s\")\n",
                        waiting ? "yes" : "NO", qPrintable(ui(window).Label14->text()));
            return waiting;
        });
}

// From the click on "Transfert mémoire" to the end of the operation: mostly the download itself,
// as the board announces itself within 0.7 s.
bool downloadAtLineRate(QApplication &app, bool shown) {
    const QStringList options{QStringLiteral("--cycle-ms"), QStringLiteral("700"),
                              QStringLiteral("--gap-ms"),   QStringLiteral("260"),
                              QStringLiteral("--samples"),  QString::number(kDownloadedSamples)};
    return againstBoard(options, shown, [&](WindowRig &, Form2 &window) {
        const Usage before = usageNow();
        window.Command3_Click();
        QObject::connect(&window.dialogue(), &Dialogue::idle, &app, &QCoreApplication::quit);
        QTimer::singleShot(2min, &app, &QCoreApplication::quit); // a stalled download
        QApplication::exec();
        const Usage after = usageNow();

        const qsizetype received = window.receive().receiveBuffer().size();
        std::printf("\ndownload of %lld bytes at the line rate, window %s\n", qlonglong(received),
                    shown ? "shown" : "hidden");
        printUsage(before, after);
        std::printf("status: \"%s\"\n", qPrintable(ui(window).Label1->text()));
        return !window.dialogue().busy() && received > kDownloadedSamples * 18;
    });
}

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // --hidden: the window is never shown, so the blinking costs no painting.
    const bool shown = !app.arguments().contains(QStringLiteral("--hidden"));
    const bool waited = waitForSilentBoard(app, shown);
    const bool downloaded = downloadAtLineRate(app, shown);
    return waited && downloaded ? 0 : 1;
}
