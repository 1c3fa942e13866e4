// Speed of the spreadsheet conversion: a synthetic recording of 100 MB converted from file to
// file, plus 25 and 50 MB to show that the time grows in proportion to the size.
#include "data/spreadsheet.h"

#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

namespace {

constexpr qint64 kMegabyte = 1000 * 1000;
constexpr int kRuns = 3;

// Board-like output: sample lines of three 10-bit readings, with a message line now and then.
QByteArray syntheticRecording(qint64 size) {
    QByteArray recording;
    recording.reserve(size + 64);
    recording.append("Transfert\r\n");
    quint32 seed = 12345;
    qint64 line = 0;
    while (recording.size() < size) {
        for (int channel = 0; channel < 3; ++channel) {
            seed = seed * 1103515245u + 12345u;
            recording.append(
                QByteArray::number((seed >> 16) & 0x3FF, 16).toUpper().rightJustified(4, '0'));
            recording.append(' ');
        }
        recording.append(".\r\n");
        if (++line % 5000 == 0) recording.append("Page suivante\r\n");
    }
    recording.append("Effectue\r\n\r\n");
    return recording;
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
