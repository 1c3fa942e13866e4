#pragma once

#include "boardline.h"
#include "bytes.h"

#include <QProcess>
#include <QString>
#include <QStringList>

// Runs the board simulator (the volterne-board-sim executable of this build) for as long as the
// object lives. The simulator's first line of output is the device its serial line is on; its
// diagnostics go to this process's standard error.
//
//     Simulator board({"--cycle-ms", "600", "--line-rate", "0"});
//     QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
//     port.setPortName(board.devicePath());
class Simulator {
public:
    // Generous: only a broken or hung simulator (or board dialogue) takes this long.
    static constexpr int kPatienceMs = 30000;

    explicit Simulator(const QStringList &arguments = {}) {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(VOLTERNE_SIM), arguments);
        while (m_process.waitForStarted(kPatienceMs) && !m_process.canReadLine() &&
               m_process.waitForReadyRead(kPatienceMs))
            continue;
        m_devicePath = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }

    ~Simulator() {
        m_process.terminate(); // SIGTERM: the simulator ends in order
        if (!m_process.waitForFinished(kPatienceMs)) m_process.kill();
        m_process.waitForFinished(kPatienceMs);
    }

    bool isRunning() const {
        return !m_devicePath.isEmpty() && m_process.state() == QProcess::Running;
    }
    // Path of the serial device to open, e.g. "/dev/pts/4"; empty if the simulator did not start.
    QString devicePath() const { return m_devicePath; }
    // Why the simulator did not start.
    QString errorString() const {
        return QStringLiteral("no device path from the simulator (%1)")
            .arg(m_process.errorString());
    }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    QString m_devicePath;
};

// Quick timings: a round of announcements in under a second, bursts still well apart (the program
// gathers a burst for 100 ms), every burst sent at once.
inline const QStringList kQuickBoard =
    QStringLiteral("--cycle-ms 700 --gap-ms 260 --erase-ms 400 --line-rate 0").split(u' ');

// The bytes a simulator started with "--log FILE" received, in hex, one line of the log after
// another.
inline QByteArray loggedHex(const QString &log) {
    QByteArrayList hex;
    for (const QByteArray &entry : readFile(log).split('\n')) {
        const QByteArrayList fields = entry.split('\t');
        if (fields.size() >= 2) hex << fields[1];
    }
    return hex.join(' ');
}
