// Speed of the spreadsheet conversion: a synthetic recording of 100 MB converted from file to
// file, plus 25 and 50 MB to show that the time grows in proportion to the size.
#include "benchdata.h"
#include "data/spreadsheet.h"
#include "rig.h"

#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

namespace {

constexpr qint64 kMegabyte = 1000 * 1000;
constexpr int kRuns = 3;

// A board recording of about `size` bytes, as a download writes it.
QByteArray syntheticRecording(qint64 size) {
    return "Transfert\r\n" + boardData(size) + "Effectue\r\n\r\n";
}

struct Timing {
    double seconds = 0;
    ConversionReport report;
};

Timing convertFile(const QString &recordingPath, const QString &spreadsheetPath) {
    const auto start = std::chrono::steady_clock::now();
    QFile recording(recordingPath);
    QFile spreadsheet(spreadsheetPath);
    Timing timing;
    if (!recording.open(QIODevice::ReadOnly) || !spreadsheet.open(QIODevice::WriteOnly)) {
        timing.report.readError = true;
        return timing;
    }
    timing.report = convertRecording(recording, spreadsheet);
    spreadsheet.close();
    timing.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return timing;
}

} // namespace

int main() {
    QTemporaryDir dir;
    const qint64 sizes[] = {25 * kMegabyte, 50 * kMegabyte, 100 * kMegabyte};
    double seconds[3] = {};
    for (int i = 0; i < 3; ++i) {
        const QString path = dir.filePath(QStringLiteral("transfert_%1.txt").arg(i));
        QFile file(path);
        const QByteArray recording = syntheticRecording(sizes[i]);
        if (!file.open(QIODevice::WriteOnly) || file.write(recording) != recording.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        file.close();
        // Best of a few runs: the machine may be busy with other work.
        Timing timing;
        for (int run = 0; run < kRuns; ++run) {
            const Timing attempt = convertFile(path, dir.filePath("fichier_excel.csv"));
            if (!attempt.report.ok()) {
                std::fprintf(stderr, "conversion failed: %s\n", qPrintable(attempt.report.error));
                return 1;
            }
            if (run == 0 || attempt.seconds < timing.seconds) timing = attempt;
        }
        seconds[i] = timing.seconds;
        std::printf("%4lld MB: %.3f s, %.0f MB/s, %lld values\n", sizes[i] / kMegabyte,
                    timing.seconds, recording.size() / kMegabyte / timing.seconds,
                    static_cast<long long>(timing.report.values));
    }
    std::printf("linearity: t(50)/t(25) = %.2f, t(100)/t(50) = %.2f (2.00 is linear)\n",
                seconds[1] / seconds[0], seconds[2] / seconds[1]);
    return 0;
}
