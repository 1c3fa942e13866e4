// Cost of the chart: reading and first drawing of a 10 MB recording, redrawing after a zoom and a
// resize, a step of a rectangle dragged over it, the resident memory a chart of that recording
// adds, and the processor time a live reading at the board's line rate adds. With a path argument,
// also saves images there.
#include "app/chartpane.h"
#include "app/chartview.h"
#include "benchdata.h"
#include "chart/chartrender.h"
#include "chart/sampleseries.h"
#include "chart/statistics.h"
#include "fakedesktop.h"
#include "rig.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

using Steady = std::chrono::steady_clock;
constexpr qint64 kRecordingSize = 10 * 1000 * 1000;
constexpr int kRuns = 5;
constexpr std::chrono::milliseconds kLineTick{100}; // the window's receive tick
constexpr int kLiveChunkSize = 96;                  // what 9600 baud brings in one tick
constexpr std::chrono::seconds kLiveDuration{5};

double millisecondsSince(Steady::time_point start) {
    return std::chrono::duration<double, std::milli>(Steady::now() - start).count();
}

double processSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

// Resident memory of this process, in megabytes.

// Best of a few runs of `work`, in milliseconds: the machine may be busy with other work.
template <typename Work> double bestOf(Work work) {
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = Steady::now();
        work();
        best = std::min(best, millisecondsSince(start));
    }
    return best;
}

// Processor time spent by this process while the event loop runs for kLiveDuration, a chunk of
// the board's live output arriving every tick when `pane` is given.
double liveProcessorShare(ChartPane *pane) {
    QByteArray stream = boardData(kLiveChunkSize * 200);
    qsizetype at = 0;
    QTimer tick;
    tick.setInterval(kLineTick);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (!pane) return;
        pane->liveChunk(stream.mid(at, kLiveChunkSize));
        at = (at + kLiveChunkSize) % (stream.size() - kLiveChunkSize);
    });
    QEventLoop loop;
    QTimer::singleShot(kLiveDuration, &loop, &QEventLoop::quit);
    const double before = processSeconds();
    tick.start();
    loop.exec();
    return (processSeconds() - before) / std::chrono::duration<double>(kLiveDuration).count();
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const QByteArray recording = "Transfert\r\n" + boardData(kRecordingSize) + "Effectue\r\n\r\n";
    const QSize imageSize(1200, 500);

    // The series and one image of it, without any window.
    SampleSeries series;
    const double decode = bestOf([&] { series.setText(recording); });
    QImage image;
    const double render = bestOf([&] { image = chart::render(series, imageSize); });
    std::printf("10 MB recording, %lld samples a channel\n", static_cast<long long>(series.size()));
    std::printf("  decoding: %.1f ms, first image %dx%d: %.1f ms, together %.1f ms\n", decode,
                imageSize.width(), imageSize.height(), render, decode + render);
    // The same with every channel calibrated, in three units (two axes and a scale of its own),
    // and the statistics of the whole recording and of half of it, as after a zoom.
    chart::Options calibrated;
    calibrated.channels.channels[0] = {
        QStringLiteral("Tension"), QStringLiteral("V"), {0, 0, 1023, 5}};
    calibrated.channels.channels[1] = {
        QStringLiteral("Température"), QStringLiteral("°C"), {100, 50, 300, -50}};
    calibrated.channels.channels[2] = {
        QStringLiteral("Pression"), QStringLiteral("hPa"), {0, 900, 1023, 1100}};
    const double calibratedRender =
        bestOf([&] { image = chart::render(series, imageSize, calibrated); });
    const double wholeStatistics = bestOf([&] { chart::statisticsRows(series, calibrated); });
    calibrated.first = series.size() / 4.0;
    calibrated.last = series.size() * 3 / 4.0;
    const double halfStatistics = bestOf([&] { chart::statisticsRows(series, calibrated); });
    std::printf("  calibrated in three units: first image %.1f ms; statistics of the whole "
                "recording %.2f ms, of half of it %.2f ms\n",
                calibratedRender, wholeStatistics, halfStatistics);
    if (argc > 1) {
        // For looking at: the whole recording, and its first minutes at 2.5 s a sample.
        const QString path = QString::fromLocal8Bit(argv[1]);
        chart::savePng(image, path);
        chart::Options options;
        options.first = 0;
        options.last = 120;
        options.interval = 2.5;
        chart::savePng(chart::render(series, imageSize, options),
                       path + QStringLiteral(".zoom.png"));
    }
    series.clear();

    // The pane, shown: the memory it adds, then its redraws.
    const double residentBefore = residentMegabytes();
    FakeDesktop desktop;
    ChartPane pane(&desktop, QStringLiteral("."));
    pane.resize(1000, 450);
    pane.show();
    app.processEvents();
    const auto shownStart = Steady::now();
    pane.showText(recording);
    pane.view()->repaint();
    const double shown = millisecondsSince(shownStart);
    app.processEvents();
    const double residentAfter = residentMegabytes();
    std::printf("  pane: showText and first paint %.1f ms, resident memory added %.1f MB\n", shown,
                residentAfter - residentBefore);
    pane.setChannels(calibrated.channels);
    const double shownCalibrated = bestOf([&] {
        pane.showText(recording);
        pane.view()->repaint();
    });
    std::printf("  pane, channels calibrated, with the statistics: showText and first paint "
                "%.1f ms\n",
                shownCalibrated);

    ChartView *view = pane.view();
    const qint64 samples = pane.series().size();
    int zoom = 0;
    const double zoomed = bestOf([&] {
        ++zoom;
        view->zoomTo(samples / (3.0 + zoom), samples / 2.0 + zoom);
        view->repaint();
    });
    view->resetZoom();
    const double whole = bestOf([&] {
        view->seriesChanged(); // as when new samples came
        view->repaint();
    });
    int width = 1000;
    const double resized = bestOf([&] {
        width = width == 1000 ? 1300 : 1000;
        pane.resize(width, 450);
        app.processEvents();
        view->repaint();
    });
    std::printf("  redraw: whole recording %.1f ms, after a zoom %.1f ms, after a resize %.1f ms\n",
                whole, zoomed, resized);

    // A rectangle dragged over the whole recording: the first paint of the view once the data is
    // there, then each step of the drag, the mouse moved and the whole view painted again.
    pane.showText(recording);
    const auto firstPaintStart = Steady::now();
    view->repaint();
    const double firstPaint = millisecondsSince(firstPaintStart);
    const QPoint from = view->frame().plot.topLeft().toPoint() + QPoint(40, 30);
    auto mouse = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, view->mapToGlobal(at), Qt::LeftButton, buttons, {});
        QApplication::sendEvent(view, &event);
    };
    mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
    int step = 0;
    const double dragStep = bestOf([&] {
        ++step;
        mouse(QEvent::MouseMove, from + QPoint(100 + 7 * step, 60 + 3 * step), Qt::LeftButton);
        view->repaint();
    });
    mouse(QEvent::MouseMove, from, Qt::LeftButton); // too short a band: the release zooms nowhere
    mouse(QEvent::MouseButtonRelease, from, Qt::NoButton);
    std::printf("  rectangle drag over the whole recording: first paint %.1f ms, each step %.2f "
                "ms\n",
                firstPaint, dragStep);

    // Live reading: the same event loop with and without chunks for the chart.
    pane.resize(900, 400);
    pane.liveChunk(boardData(20000));
    const double liveRedraw = bestOf([&] {
        view->seriesChanged();
        view->repaint();
    });
    std::printf("  redraw of a live window of %lld samples: %.2f ms\n",
                static_cast<long long>(pane.series().size()), liveRedraw);
    const double idle = liveProcessorShare(nullptr);
    const double live = liveProcessorShare(&pane);
    std::printf("  live, %d bytes every %lld ms: %.3f %% of one core (event loop alone %.3f %%, "
                "chart %.3f %%), %lld samples shown\n",
                kLiveChunkSize, static_cast<long long>(kLineTick.count()), live * 100, idle * 100,
                (live - idle) * 100, static_cast<long long>(pane.series().size()));
    return 0;
}
