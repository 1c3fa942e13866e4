// volterne-board-sim: a simulated data-logger board on a pseudo-terminal, so that every operation
// of the program can be run without the hardware. See --help for the options.

#include "app/profile.h"
#include "board.h"
#include "options.h"
#include "wire.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

int fail(const QString &message) {
    std::fprintf(stderr, "volterne-board-sim: %s\n", qPrintable(message));
    return 1;
}

// SIGTERM and SIGINT are blocked and read from a descriptor instead, so that they end the event
// loop in order (the pseudo-terminal closed, the log flushed) rather than interrupting it.
int blockTerminationSignals() {
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    sigaddset(&blocked, SIGINT);
    if (pthread_sigmask(SIG_BLOCK, &blocked, nullptr) != 0) return -1;
    return signalfd(-1, &blocked, SFD_NONBLOCK | SFD_CLOEXEC);
}

} // namespace

int main(int argc, char *argv[]) {
    // Blocked before Qt starts any thread, so that every thread inherits the mask.
    const int signalFd = blockTerminationSignals();
    QCoreApplication app(argc, argv);
    if (signalFd < 0) return fail(QStringLiteral("cannot watch the termination signals"));

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

    QSocketNotifier signalNotifier(signalFd, QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [signalFd] {
        signalfd_siginfo info{};
        while (read(signalFd, &info, sizeof info) == ssize_t(sizeof info)) {
        }
        QCoreApplication::quit();
    });

    Board board(*options, &wire);
    board.start();
    const int result = app.exec();
    close(signalFd);
    return result;
}
