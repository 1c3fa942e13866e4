// volterne-board-sim: a simulated data-logger board on a pseudo-terminal, so that every operation
// of the program can be run without the hardware. See --help for the options.

#include "data/profile.h"
#include "board.h"
#include "options.h"
#include "wire.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

int fail(const QString &message) {
    std::fprintf(stderr, "volterne-board-sim: %s\n", qPrintable(message));
    return 1;
}

// SIGTERM and SIGINT end the event loop in order (the pseudo-terminal closed, the log flushed)
// rather than interrupting it: their handler only writes a byte into a pipe, whichever thread it
// runs on, and the event loop reads that pipe (the self-pipe pattern, portable to any POSIX
// system).
int g_signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(g_signalPipe[1], &byte, 1);
}

bool watchTerminationSignals() {
    if (pipe(g_signalPipe) != 0) return false;
    for (const int end : g_signalPipe) {
        if (fcntl(end, F_SETFL, fcntl(end, F_GETFL) | O_NONBLOCK) != 0 ||
            fcntl(end, F_SETFD, FD_CLOEXEC) != 0)
            return false;
    }
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(SIGTERM, &action, nullptr) == 0 && sigaction(SIGINT, &action, nullptr) == 0;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (!watchTerminationSignals())
        return fail(QStringLiteral("cannot watch the termination signals"));

    int exitCode = 0;
    const auto options = parseOptions(app.arguments(), &exitCode);
    if (!options) return exitCode;

    Wire wire(options->lineRate);
    QString error;
    if (!wire.open(&error))
        return fail(QStringLiteral("cannot open a pseudo-terminal: %1").arg(error));
    if (!options->logPath.isEmpty() && !wire.startLog(options->logPath, &error)) return fail(error);
    if (!options->wirePort.isEmpty()) {
        Profile profile(options->iniPath);
        if (!profile.setValue("ports", options->wirePort.toLatin1(),
                              wire.devicePath().toLocal8Bit(), &error))
            return fail(QStringLiteral("cannot write %1: %2").arg(options->iniPath, error));
    }

    std::printf("%s\n", qPrintable(wire.devicePath()));
    std::fflush(stdout);

    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [] {
        char bytes[16];
        while (read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        QCoreApplication::quit();
    });

    Board board(*options, &wire);
    board.start();
    return app.exec();
}
