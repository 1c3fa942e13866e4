// The command-line converter as a process: speed on a 100 MB recording (best of three runs) and
// the peak resident size of the process on 100 MB and on 1 GB, which streaming keeps bounded; the
// peak resident size of a run that also draws the chart (--png), which holds every sample; and on
// two damaged recordings, whatever their lines: 200 MB whose line ends lost their CR, and 300 MB of
// NUL bytes (no line end at all).
#include "benchdata.h"
#include "rig.h"

#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace {

constexpr qint64 kMegabyte = 1000 * 1000;

struct Run {
    double seconds = 0;
    long peakKilobytes = 0;
    int status = -1;
};

// Runs the converter on `recording`, writing `spreadsheet` and, when given, the chart `image`, and
// measures the child alone.
Run convert(const QString &recording, const QString &spreadsheet, const QString &image = {}) {
    const QByteArray in = recording.toLocal8Bit(), out = spreadsheet.toLocal8Bit(),
                     png = image.toLocal8Bit();
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        if (png.isEmpty())
            execl(VOLTERNE_CONVERT, VOLTERNE_CONVERT, "-o", out.constData(), in.constData(),
                  static_cast<char *>(nullptr));
        else
            execl(VOLTERNE_CONVERT, VOLTERNE_CONVERT, "-o", out.constData(), "--png",
                  png.constData(), in.constData(), static_cast<char *>(nullptr));
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

enum class Kind { Board, LfOnly, Nul };

// A recording of about `size` bytes, written block by block so that the benchmark itself stays
// small: the same 10 MB of board data repeated, with LF alone for line ends, or NUL bytes.
bool writeRecording(const QString &path, qint64 size, Kind kind = Kind::Board) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    QByteArray block = boardData(10 * kMegabyte);
    block.truncate(block.lastIndexOf('\n') + 1); // whole lines, so that the copies join cleanly
    if (kind == Kind::LfOnly) block.replace("\r\n", "\n");
    if (kind == Kind::Nul) block.fill('\0');
    bool ok = kind != Kind::Board || file.write("Transfert\r\n") > 0;
    for (qint64 written = 0; ok && written < size; written += block.size())
        ok = file.write(block) == block.size();
    return ok && (kind != Kind::Board || file.write("Effectue\r\n\r\n") > 0) && file.flush();
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
        std::printf("%5lld MB: %.3f s, %.0f MB/s, peak resident size %.1f MiB\n",
                    static_cast<long long>(bytes / kMegabyte), best.seconds,
                    bytes / double(kMegabyte) / best.seconds, best.peakKilobytes / 1024.0);
        const QString png = dir.filePath("transfert.png");
        const Run charted = convert(recording, csv, png);
        if (charted.status != 0) {
            std::fprintf(stderr, "volterne-convert --png ended with status %d\n", charted.status);
            return 1;
        }
        std::printf("%5lld MB with its chart (--png): %.3f s, peak resident size %.1f MiB\n",
                    static_cast<long long>(bytes / kMegabyte), charted.seconds,
                    charted.peakKilobytes / 1024.0);
        QFile::remove(recording);
        QFile::remove(csv);
        QFile::remove(png);
    }
    // Damaged recordings: converted in bounded memory, and said (status 1).
    for (const auto &[kind, size, name] : {std::tuple(Kind::LfOnly, 200 * kMegabyte, "LF only"),
                                           std::tuple(Kind::Nul, 300 * kMegabyte, "NUL bytes")}) {
        const QString recording = dir.filePath("abime.txt");
        if (!writeRecording(recording, size, kind)) return 1;
        const Run run = convert(recording, csv);
        std::printf("%5lld MB, %s: %.3f s, status %d, peak resident size %.1f MiB\n",
                    static_cast<long long>(QFile(recording).size() / kMegabyte), name, run.seconds,
                    run.status, run.peakKilobytes / 1024.0);
        QFile::remove(recording);
        if (run.status != 1) return 1;
    }
    return 0;
}
