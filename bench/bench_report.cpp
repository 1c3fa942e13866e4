// Cost of the PDF report of a 10 MB recording (about 555 000 samples a channel, three calibrated
// channels with limits): the whole recording shown, and a zoom on a tenth of it. With a path
// argument, also keeps the report there.
#include "chart/report.h"
#include "chart/sampleseries.h"
#include "data/sampleline.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

namespace {

using Steady = std::chrono::steady_clock;
constexpr qint64 kRecordingSize = 10 * 1000 * 1000;
constexpr int kRuns = 5;

// Sample lines of slowly varying readings with some noise, crossing the limits below now and then.
QByteArray recording(qint64 size) {
    QByteArray text;
    text.reserve(size + 32);
    quint32 state = 2026;
    for (int n = 0; text.size() < size; ++n) {
        state = state * 1103515245u + 12345u;
        const int noise = int((state >> 16) & 0x3F);
        text += sampleLine(
            {(n / 40 + noise) % 1024, 400 + (n / 500) % 300 + noise, (n * 7 + noise) % 1024});
    }
    return text;
}

double millisecondsSince(Steady::time_point start) {
    return std::chrono::duration<double, std::milli>(Steady::now() - start).count();
}

} // namespace

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    const QByteArray text = recording(kRecordingSize);
    SampleSeries series;
    series.setText(text);

    chart::ReportContent content;
    content.name = QStringLiteral("transfert_06122026.txt");
    content.facts.port = QStringLiteral("COM1");
    content.facts.device = QStringLiteral("/dev/ttyUSB0");
    content.facts.serialNumber = QStringLiteral("A10K1ABC");
    content.facts.start = QDateTime(QDate(2026, 12, 1), QTime(8, 0));
    content.facts.startOrigin = StartOrigin::LastReset;
    content.facts.interval = 0.5;
    content.facts.recorded = content.facts.start.addSecs(series.size() / 2 + 60);
    content.facts.periodCode = 150;
    content.facts.boardSwitch = 3;
    content.series = &series;
    content.options.interval = 0.5;
    auto &channels = content.options.channels.channels;
    channels[0] = {QStringLiteral("Tension"), QStringLiteral("V"), {0, 0, 1023, 5}, 0.5, 4.5};
    channels[1] = {
        QStringLiteral("Température"), QStringLiteral("°C"), {100, 50, 300, -50}, -100, 0};
    channels[2] = {
        QStringLiteral("Pression"), QStringLiteral("hPa"), {0, 900, 1023, 1100}, 950, 1050};
    content.version = QStringLiteral("bench");
    content.moment = QDateTime::currentDateTime();

    QTemporaryDir dir;
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : dir.filePath("rapport.pdf");
    const auto measure = [&] {
        double first = 0, best = 1e9;
        for (int run = 0; run < kRuns; ++run) {
            QString error;
            const auto start = Steady::now();
            if (!chart::writeReport(path, content, &error)) {
                std::fprintf(stderr, "%s\n", qPrintable(error));
                std::exit(1);
            }
            const double elapsed = millisecondsSince(start);
            if (run == 0) first = elapsed;
            best = std::min(best, elapsed);
        }
        return std::pair(first, best);
    };
    std::printf("10 MB recording, %lld samples a channel, three channels with limits\n",
                static_cast<long long>(series.size()));
    const auto [first, best] = measure();
    std::printf("  report of the whole recording: first %.1f ms, best of %d %.1f ms, %lld bytes\n",
                first, kRuns, best, static_cast<long long>(QFileInfo(path).size()));
    content.options.first = series.size() * 0.45;
    content.options.last = series.size() * 0.55;
    const auto [zoomFirst, zoomBest] = measure();
    std::printf("  report of a tenth of it: first %.1f ms, best of %d %.1f ms (target: under "
                "500 ms)\n",
                zoomFirst, kRuns, zoomBest);
    return 0;
}
