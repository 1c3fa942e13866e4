// Processor time the program uses while it waits for a board that stays silent: "RAZ mémoire"
// waits up to 15 s for the banner; over 10 s of that wait the process should be asleep nearly all
// the time, only the clock and blink timers waking it. The figure is the process's user + system
// time over the wall time, as a percentage of one core.
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

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // --hidden: the window is never shown, so the blinking costs no painting.
    const bool shown = !app.arguments().contains(QStringLiteral("--hidden"));

    Simulator board(QStringList{QStringLiteral("--silent")});
    if (!board.isRunning()) {
        std::fprintf(stderr, "board simulator: %s\n", qPrintable(board.errorString()));
        return 1;
    }
    WindowRig rig(board.devicePath());
    Form2 &window = *rig.window;
    if (shown) window.show();
    QCoreApplication::processEvents(); // the first paint is not part of the wait

    const Usage before = usageNow();
    window.Command1_Click();
    QTimer::singleShot(kWatched, Qt::PreciseTimer, &app, &QCoreApplication::quit);
    QApplication::exec();
    const Usage after = usageNow();

    const double wall = std::chrono::duration<double>(after.wall - before.wall).count();
    const double processor =
        std::chrono::duration<double>(after.processor - before.processor).count();
    const bool waiting = window.dialogue().busy() && rig.port.isOpen();
    std::printf("banner wait against a silent board, window %s\n", shown ? "shown" : "hidden");
    std::printf("wall time:        %.2f s\n", wall);
    std::printf("processor time:   %.3f s\n", processor);
    std::printf("context switches: %ld\n", after.contextSwitches - before.contextSwitches);
    std::printf("processor use:    %.2f %% of one core\n", 100.0 * processor / wall);
    std::printf("still waiting for the banner: %s (link status \"%s\")\n", waiting ? "yes" : "NO",
                qPrintable(ui(window).Label14->text()));
    return waiting ? 0 : 1;
}
