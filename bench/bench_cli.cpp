// The command-line converter as a process: speed on a 100 MB recording (best of three runs) and
// the peak resident size of the process on 100 MB and on 1 GB, which streaming keeps bounded.
#include "rig.h"

#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr qint64 kMegabyte = 1000 * 1000;

struct Run {
    double seconds = 0;
    long peakKilobytes = 0;
    int status = -1;
};

// Runs the converter on `recording`, writing `spreadsheet`, and measures the child alone.
Run convert(const QString &recording, const QString &spreadsheet) {
    const QByteArray in = recording.toLocal8Bit(), out = spreadsheet.toLocal8Bit();
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execl(VOLTERNE_CONVERT, VOLTERNE_CONVERT, "-o", out.constData(), in.constData(),
              static_cast<char *>(nullptr));
        _exit(127);
    }
    Run run;
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child) return run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKilobytes = usage.ru_maxrss;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// A recording of about `size` bytes, written block by block so that the benchmark itself stays
// small: the same 10 MB of board data repeated.
bool writeRecording(const QString &path, qint64 size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    QByteArray block = boardData(10 * kMegabyte);
    block.truncate(block.lastIndexOf('\n') + 1); // whole lines, so that the copies join cleanly
    bool ok = file.write("Transfert\r\n") > 0;
    for (qint64 written = 0; ok && written < size; written += block.size())
        ok = file.write(block) == block.size();
    return ok && file.write("Effectue\r\n\r\n") > 0 && file.flush();
}

} // namespace

int main() {
    QTemporaryDir dir;
    const QString csv = dir.filePath("transfert.csv");
    for (const qint64 size : {100 * kMegabyte, 1000 * kMegabyte}) {
        const QString recording = dir.filePath("transfert.txt");
        if (!writeRecording(recording, size)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(recording));
            return 1;
        }
        const qint64 bytes = QFile(recording).size();
        Run best;
        const int runs = size > 100 * kMegabyte ? 1 : 3;
        for (int i = 0; i < runs; ++i) {
            const Run run = convert(recording, csv);
            if (run.status != 0) {
                std::fprintf(stderr, "volterne-convert ended with status %d\n", run.status);
                return 1;
            }
            if (i == 0 || run.seconds < best.seconds) best = run;
        }
        std::printf("%5lld MB: %.3f s, %.0f MB/s, peak resident size %.1f MB\n",
                    static_cast<long long>(bytes / kMegabyte), best.seconds,
                    bytes / double(kMegabyte) / best.seconds, best.peakKilobytes / 1024.0);
        QFile::remove(recording);
        QFile::remove(csv);
    }
    return 0;
}
