// volterne-board-sim: a simulated data-logger board on a pseudo-terminal, so that every operation
// of the program can be run without the hardware. See --help for the options.

#include "board.h"
#include "data/profile.h"
#include "data/settingskeys.h"
#include "options.h"
#include "wire.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
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

// Records the device under the port name in [ports] of the settings file and selects that port
// ([COM], as the program keeps its port choice), so that the program opens the simulator at its
// next start. A fresh installation has no data folder yet: it is created.
// *note says what was done, for standard error once the device path is out.
bool wirePort(const Options &options, const QString &device, QString *note, QString *error) {
    const QString folder = QFileInfo(options.iniPath).absolutePath();
    const bool created = !QFileInfo::exists(folder);
    if (created && !QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot create the folder %1").arg(folder);
        return false;
    }
    Profile profile(options.iniPath);
    const QByteArray port = options.wirePort.toLatin1();
    const bool saved = profile.save(
        [&](Profile &text, QString *reason) {
            using namespace settingskeys;
            return text.setValue(kPortSection, kValueKey, port, reason) &&
                   text.setValue(kPortsSection, port, device.toLocal8Bit(), reason);
        },
        error);
    if (!saved) {
        *error = QStringLiteral("cannot write %1: %2").arg(options.iniPath, *error);
        return false;
    }
    *note = QStringLiteral("%1 wired to %2 and selected in %3")
                .arg(options.wirePort, device, options.iniPath);
    if (created) *note += QStringLiteral(" (folder %1 created)").arg(folder);
    return true;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (!watchTerminationSignals())
        return fail(QStringLiteral("cannot watch the termination signals"));

    const ParsedOptions parsed = parseOptions(app.arguments());
    if (!parsed.options) {
        fail(parsed.error);
        return 2;
    }
    if (parsed.options->help) {
        std::fputs(qPrintable(optionsHelp()), stdout);
        return 0;
    }
    const auto &options = parsed.options;

    Wire wire(options->lineRate);
    QString error;
    if (!wire.open(&error))
        return fail(QStringLiteral("cannot open a pseudo-terminal: %1").arg(error));
    if (!options->logPath.isEmpty() && !wire.startLog(options->logPath, &error)) return fail(error);
    QString wired;
    if (!options->wirePort.isEmpty() && !wirePort(*options, wire.devicePath(), &wired, &error))
        return fail(error);

    // The link goes when the board does; one that is not a link is left alone.
    const QString link = options->linkPath;
    if (!link.isEmpty()) {
        if (QFileInfo(link).isSymLink()) QFile::remove(link);
        if (!QFile::link(wire.devicePath(), link))
            return fail(QStringLiteral("cannot make the link %1").arg(link));
    }
    const auto unlink = qScopeGuard([&link] {
        if (!link.isEmpty() && QFileInfo(link).isSymLink()) QFile::remove(link);
    });

    std::printf("%s\n", qPrintable(wire.devicePath()));
    std::fflush(stdout);
    if (!wired.isEmpty()) std::fprintf(stderr, "volterne-board-sim: %s\n", qPrintable(wired));

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
