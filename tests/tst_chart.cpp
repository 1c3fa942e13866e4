// The chart: its samples read as the spreadsheet conversion reads them, the per-column reduction,
// the rendered image, and the pane's rolling window, mouse, export and remembered interval; in the
// channels' units: calibrated curves, the statistics of the visible samples, the unchanged default
// drawing and the "Voies…" dialog.
#include "app/channelsdialog.h"
#include "app/chartpane.h"
#include "app/chartview.h"
#include "bytes.h"
#include "chart/axes.h"
#include "chart/chartrender.h"
#include "chart/reduction.h"
#include "chart/report.h"
#include "chart/sampleseries.h"
#include "chart/statistics.h"
#include "data/chartsettings.h"
#include "data/filereason.h"
#include "data/profile.h"
#include "data/sampleline.h"
#include "fakedesktop.h"
#include "letters.h"

#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <cerrno>
#include <cmath>
#include <map>

namespace {

using Rows = QList<QByteArrayList>;

struct Reduction {
    int count;
    double first, last;
    int width, gapEvery; // gapEvery 0: no gaps
};

struct Axis {
    qint64 dropped;
    double span, interval;
    const char *title;
    double firstShown, secondShown; // what positions 0 and 1 read as
};

// The rows of a spreadsheet the conversion wrote, seen through the chart's three channels: the
// first three cells of each row (a value, or empty for an invalid field), "-" past the end of a
// short row.
Rows spreadsheetRows(const QByteArray &spreadsheet) {
    Rows rows;
    for (QByteArray row : spreadsheet.split('\n').mid(1)) { // after the header
        if (row.isEmpty()) continue;                        // after the last CR LF
        if (row.endsWith('\r')) row.chop(1);
        QByteArrayList cells = row.split(';');
        cells.removeLast(); // the empty text after the last ";"
        cells.resize(kChannels, "-");
        rows << cells;
    }
    return rows;
}

// The chart's samples in the same form.
Rows seriesRows(const SampleSeries &series) {
    Rows rows;
    for (qint64 i = 0; i < series.size(); ++i) {
        QByteArrayList &cells = rows.emplace_back();
        for (int c = 0; c < kChannels; ++c) {
            const qint16 value = series.value(c, i);
            cells << (value == SampleSeries::kMissing   ? "-"
                      : SampleSeries::holdsValue(value) ? QByteArray::number(value)
                                                        : QByteArray());
        }
    }
    return rows;
}

// 300 samples, a field of channel 2 not hexadecimal every 40 rows: what the reference images of
// tests/data/chart/ show, drawn with the channels' default settings.
QByteArray referenceText() {
    QByteArray text;
    for (int n = 0; n < 300; ++n)
        text += n % 40 == 7 ? QByteArray("0100 ZZZZ 0200 .\r\n")
                            : sampleLine({(n * 37) % 1024, 512 + (n % 50) * 8, n * 3});
    return text;
}

ChannelSettings volts() {
    ChannelSettings channels;
    channels.channels[0] = {"Tension", "V", {0, 0, 1023, 5}};
    channels.channels[1] = {"Température", "°C", {100, 50, 300, -50}}; // falling
    return channels;
}

} // namespace

class ChartTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    // Whatever the line ends, damaged lines and chunk boundaries, the chart gives the spreadsheet's
    // rows cell by cell, read whole or cut anywhere.
    void chartSamplesAreTheSpreadsheetRows() {
        const QString data = QStringLiteral(VOLTERNE_TEST_DATA "/spreadsheet/");
        for (const QString &name : QDir(data).entryList({"*.txt"})) {
            const QByteArray recording = readFile(data + name);
            const Rows expected = spreadsheetRows(readFile(data + name.chopped(3) + "csv"));
            SampleSeries whole;
            whole.setText(recording);
            QCOMPARE(seriesRows(whole), expected);
            // A live series keeps an unended last line for later: end it.
            const QByteArray ended = recording + "\r\n";
            for (const qsizetype size : {1, 5}) {
                SampleSeries growing;
                for (qsizetype at = 0; at < ended.size(); at += size)
                    growing.append(ended.mid(at, size));
                QCOMPARE(seriesRows(growing), expected);
            }
        }
    }

    // A live window lets go of its oldest samples chunk after chunk, many times its size, and
    // keeps counting them: the chart's time axis never falls back.
    void liveModeKeepsTheLastSamplesAndReadsASplitLineOnce() {
        FakeDesktop desktop;
        ChartPane pane(&desktop, m_dir.path());
        QCOMPARE(pane.liveCapacity(), 600);
        pane.setLiveCapacity(3);
        pane.setTitle("transfert_05122026.txt");
        pane.showText(sampleLine({9, 9, 9}));
        QByteArray stream;
        for (int n = 1; n <= 14; ++n)
            stream += sampleLine({n, 100 + n, 200 + n});
        // Cut in the middle of the sixth line, then between CR and LF of the eleventh.
        const qsizetype cut = 5 * 18 + 7;
        pane.liveChunk(stream.left(cut));
        QCOMPARE(pane.title(), "Lecture en temps réel"); // what an exported image shows
        QCOMPARE(pane.series().size(), 3);
        QCOMPARE(pane.series().value(0, 2), 5);
        pane.liveChunk(stream.mid(cut, 11 * 18 - 1 - cut));
        pane.liveChunk(stream.mid(11 * 18 - 1));
        QCOMPARE(pane.series().dropped(), 11);
        QCOMPARE(seriesRows(pane.series()),
                 Rows({{"12", "112", "212"}, {"13", "113", "213"}, {"14", "114", "214"}}));
        // A download after the live reading starts afresh and keeps everything.
        pane.appendChunk(stream);
        QCOMPARE(pane.series().size(), 14);
    }

    void theReductionHoldsAtMostTwoPointsAColumnAndTheExtremes_data() {
        QTest::addColumn<Reduction>("reduction");
        QTest::newRow("many samples a column") << Reduction{100'000, 0, 99'999, 777, 0};
        QTest::newRow("zoomed in the middle") << Reduction{100'000, 31'000.5, 33'333.3, 500, 0};
        QTest::newRow("a column a sample or so") << Reduction{1'000, 0, 999, 997, 7};
        QTest::newRow("fewer samples than columns") << Reduction{50, 0, 49, 800, 5};
        QTest::newRow("with gaps") << Reduction{20'000, 10, 15'000, 300, 3};
    }

    void theReductionHoldsAtMostTwoPointsAColumnAndTheExtremes() {
        QFETCH(Reduction, reduction);
        const auto [count, first, last, width, gapEvery] = reduction;
        std::vector<qint16> values(count);
        QRandomGenerator random(count);
        for (int i = 0; i < count; ++i)
            values[i] = gapEvery && i % gapEvery == 0 ? SampleSeries::kInvalid
                                                      : qint16(random.bounded(1024));
        const std::vector<QPointF> points = reduceChannel(values.data(), count, first, last, width);
        std::map<int, int> perColumn;
        double low = 1e9, high = -1;
        for (const QPointF &point : points) {
            if (std::isnan(point.y())) continue;
            QVERIFY(point.y() >= 0); // a gap is never drawn as a value
            QVERIFY2(++perColumn[int(std::floor(point.x()))] <= 2,
                     qPrintable(QString::number(point.x())));
            if (point.x() >= 0 && point.x() < width) {
                low = std::min(low, point.y());
                high = std::max(high, point.y());
            }
        }
        QVERIFY(perColumn.size() <= size_t(width) + 2); // plus one sample beyond each edge
        std::vector<qint16> visible(values.begin() + int(std::ceil(first)),
                                    values.begin() + int(last) + 1);
        std::erase(visible, SampleSeries::kInvalid);
        const auto [trueLow, trueHigh] = std::ranges::minmax(visible);
        QCOMPARE(std::pair(low, high), (std::pair<double, double>(trueLow, trueHigh)));
    }

    void aGapBreaksTheCurveAndIsNeverZero() {
        const qint16 values[] = {10, 20, SampleSeries::kInvalid, SampleSeries::kMissing, 30, 40};
        const std::vector<QPointF> points = reduceChannel(values, 6, 0, 5, 100);
        QCOMPARE(points.size(), 5u);
        QCOMPARE(points[1], QPointF(20, 20));
        QVERIFY(std::isnan(points[2].y()));
        QCOMPARE(points[3], QPointF(80, 30));
    }

    void theXAxisCountsSamplesOrTellsTimeInTheUnitThatReadsBest_data() {
        QTest::addColumn<Axis>("axis");
        QTest::newRow("samples from 1") << Axis{0, 100, 0, "Échantillon", 1, 2};
        QTest::newRow("a rolling window goes on counting") << Axis{7, 100, 0, "Échantillon", 8, 9};
        QTest::newRow("two minutes in seconds") << Axis{0, 240, 0.5, "Temps (s)", 0, 0.5};
        QTest::newRow("ten minutes in minutes")
            << Axis{10, 1200, 0.5, "Temps (min)", 5.0 / 60, 5.5 / 60};
        QTest::newRow("three hours in hours") << Axis{0, 5400, 2, "Temps (h)", 0, 2.0 / 3600};
    }

    void theXAxisCountsSamplesOrTellsTimeInTheUnitThatReadsBest() {
        QFETCH(Axis, axis);
        const chart::XAxis shown = chart::xAxis(axis.dropped, axis.span, axis.interval);
        QCOMPARE(shown.title, QString(axis.title));
        QCOMPARE(shown.offset, axis.firstShown);
        QCOMPARE(shown.offset + shown.scale, axis.secondShown);
        QCOMPARE(chart::tickLabel(2.5, 0.5, QLocale(QLocale::French)), "2,5");
        QCOMPARE(chart::tickLabel(12000, 1000, QLocale(QLocale::French)), "12000");
        QCOMPARE(chart::tickLabel(0.25, 0.05, QLocale::c()), "0.25");
    }

    // Timed from a start, the x axis tells the time of day: ticks on round times, the date before
    // the first one and where the day changes.
    void theClockAxisFallsOnRoundTimesAndDatesTheDayItChanges() {
        const QDateTime start(QDate(2026, 12, 6), QTime(23, 58, 30));
        const chart::XAxis axis = chart::xAxis(2, 100, 30, start);
        QVERIFY(axis.clock && !axis.whole);
        QCOMPARE(axis.title, "Heure");
        QCOMPARE(axis.scale, 30.0);
        const QLocale french(QLocale::French, QLocale::France);
        QCOMPARE(chart::clockLabel(axis.offset, 30, true, french), "06/12 23:59:30");
        QCOMPARE(chart::clockLabel(axis.offset + 30, 60, false, french), "00:00");
        QCOMPARE(chart::clockLabel(axis.offset + 30, 60, true, french), "07/12 00:00");
        QCOMPARE(chart::clockDay(axis.offset + 29) + 1, chart::clockDay(axis.offset + 30));
        QCOMPARE(QList<double>({chart::clockStep(50, 10), chart::clockStep(3600, 10),
                                chart::clockStep(3 * 86400, 2)}),
                 QList<double>({5, 600, 2 * 86400}));
        // Arrivals of a live reading are no steady clock: its chart keeps the elapsed time.
        SampleSeries series;
        series.setText(sampleLine({1, 2, 3}) + sampleLine({4, 5, 6}));
        chart::Options options;
        options.interval = 30;
        const QImage elapsed = chart::render(series, QSize(400, 200), options);
        options.clock = {start, 30, {}};
        QVERIFY(chart::render(series, QSize(400, 200), options) != elapsed);
        options.clock.arrivals = {{0, start}};
        QCOMPARE(chart::render(series, QSize(400, 200), options), elapsed);
    }

    void theMouseZoomsHidesChannelsAndResetsAndTheExportSavesAPngOrSaysWhyNot() {
        FakeDesktop desktop;
        ChartPane pane(&desktop, m_dir.path());
        QByteArray text;
        for (int n = 0; n < 1000; ++n)
            text += sampleLine({n, 1000 - n, 500});
        pane.showText(text);
        pane.resize(800, 500);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        ChartView *view = pane.view();
        view->repaint();
        const chart::Frame frame = view->frame();

        const QPointF centre = frame.plot.center();
        QWheelEvent wheel(centre, view->mapToGlobal(centre), {}, {0, 240}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view, &wheel);
        QVERIFY(view->isZoomed());
        view->repaint();
        QVERIFY(view->frame().last - view->frame().first < 0.7 * (frame.last - frame.first));
        QTest::mouseDClick(view, Qt::LeftButton, {}, centre.toPoint());
        QVERIFY(!view->isZoomed());

        const QPoint from = frame.plot.topLeft().toPoint() + QPoint(100, 20);
        QTest::mousePress(view, Qt::LeftButton, {}, from);
        QTest::mouseMove(view, from + QPoint(200, 200));
        QTest::mouseRelease(view, Qt::LeftButton, {}, from + QPoint(200, 200));
        view->repaint();
        QVERIFY(view->frame().last - view->frame().first < frame.last - frame.first);
        QVERIFY(view->frame().high < frame.high);

        QTest::mouseClick(view, Qt::LeftButton, {}, frame.legend[2].center().toPoint());
        QVERIFY(view->isChannelHidden(2));
        QTest::mouseClick(view, Qt::LeftButton, {}, frame.legend[2].center().toPoint());
        QVERIFY(!view->isChannelHidden(2));

        // The view keeps the chart it drew: what it shows is the chart drawn afresh, after a drag
        // that ended without zooming, new samples and a resize.
        view->resetZoom();
        const auto showsTheChart = [view] {
            return view->grab().toImage().convertToFormat(QImage::Format_RGB32) ==
                   view->image(view->size());
        };
        QVERIFY(showsTheChart());
        QTest::mousePress(view, Qt::LeftButton, {}, from);
        QTest::mouseMove(view, from + QPoint(200, 200));
        QVERIFY(!showsTheChart());
        QTest::mouseMove(view, from);
        QTest::mouseRelease(view, Qt::LeftButton, {}, from);
        QVERIFY(showsTheChart());
        pane.appendChunk(sampleLine({5000, 5000, 5000}));
        QTRY_VERIFY(showsTheChart());
        pane.showText(text.left(text.size() / 2));
        QVERIFY(showsTheChart());
        pane.resize(600, 400);
        QVERIFY(showsTheChart());

        // The export saves a PNG or says why not.
        desktop.nextImageLocation = m_dir.filePath("absent/graphique.png");
        pane.exportButton()->click();
        QTRY_COMPARE(desktop.messages.size(), 1);
        QCOMPARE(desktop.lastImageSuggestion, m_dir.filePath("graphique.png"));
        QVERIFY(desktop.messages[0].startsWith("Exporter l'image|") &&
                desktop.messages[0].contains("n'existe pas"));

        desktop.nextImageLocation = m_dir.filePath("saved.png");
        QSignalSpy said(&pane, &ChartPane::said);
        pane.exportButton()->click();
        QTRY_COMPARE(desktop.imageQuestions, 2);
        QVERIFY(!QImage(m_dir.filePath("saved.png"), "PNG").isNull());
        QCOMPARE(said.value(0).value(0).toString(),
                 "Image enregistrée dans " + filereason::shownPath(m_dir.filePath("saved.png")));
        QCOMPARE(desktop.messages.size(), 1);
    }

    void intervalsAreTypedWithEitherSeparator_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("seconds"); // -1: refused
        QTest::newRow("French comma") << "0,5" << 0.5;
        QTest::newRow("point") << "1.5" << 1.5;
        QTest::newRow("blanks around") << " 2 " << 2.0;
        QTest::newRow("empty: none") << "" << 0.0;
        QTest::newRow("zero") << "0" << -1.0;
        QTest::newRow("negative, said as typed") << "-3" << -1.0;
    }

    void intervalsAreTypedWithEitherSeparator() {
        QFETCH(QString, text);
        QFETCH(double, seconds);
        QCOMPARE(parseInterval(text).value_or(-1), seconds);

        FakeDesktop desktop;
        ChartPane pane(&desktop, m_dir.path());
        pane.setInterval(5300); // never "5 300", which the field would refuse
        QCOMPARE(pane.intervalField()->text(), "5300");
        pane.setInterval(7);
        QCOMPARE(pane.intervalField()->text(), "7");
        QSignalSpy changed(&pane, &ChartPane::intervalChanged);
        QTest::keyClick(pane.intervalField(), Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(pane.intervalField(), Qt::Key_Backspace);
        else
            QTest::keyClicks(pane.intervalField(), text);
        // Typing goes through the text's beginnings; the last valid one counts. Text that can
        // never become an interval is said at once beside the field.
        QCOMPARE(pane.interval(), seconds < 0 ? 7 : seconds);
        if (text.startsWith('-'))
            QCOMPARE(QToolTip::text(), "« " + text +
                                           " » n'est pas un intervalle en secondes "
                                           "(nombre supérieur à 0)");
        QCOMPARE(changed.isEmpty(), seconds < 0);
        if (seconds >= 0) QCOMPARE(changed.last().at(0).toDouble(), seconds);
        // Refused text is said once editing ends, and the interval in use comes back.
        QSignalSpy said(&pane, &ChartPane::said);
        QTest::keyClick(pane.intervalField(), Qt::Key_Return);
        QCOMPARE(said.size(), seconds < 0 ? 1 : 0);
        if (seconds >= 0) return;
        QCOMPARE(said[0][0].toString(), "« " + text +
                                            " » n'est pas un intervalle en secondes "
                                            "(nombre supérieur à 0) : l'intervalle reste 7 s.");
        QCOMPARE(pane.intervalField()->text(), "7");
    }

    void theSwitchSaysAValueItRefuses() {
        FakeDesktop desktop;
        ChartPane pane(&desktop, m_dir.path());
        pane.setBoardSwitch(3);
        QSignalSpy said(&pane, &ChartPane::said);
        pane.switchBox()->setFocus();
        QTest::keyClick(pane.switchBox(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(pane.switchBox(), "9");
        QCOMPARE(pane.boardSwitch(), 3);
        QVERIFY(!said.isEmpty());
        const QString sentence = "« 9 » : le commutateur S va de 1 à 7, il reste à 3.";
        QCOMPARE(said.last().at(0).toString(), sentence);
        QCOMPARE(QToolTip::text(), sentence);
        QTest::keyClicks(pane.switchBox(), "5");
        QCOMPARE(pane.boardSwitch(), 5);
    }

    // Every sample of a sparse range is a point of its own: its y is the calibration of its raw
    // value; the hover and the statistics tell it in its unit.
    void curvesHoverAndStatisticsShowTheSamplesThroughTheirCalibration() {
        SampleSeries series;
        series.setText(referenceText());
        chart::Options options;
        options.channels = volts();
        const chart::Curves curves = chart::calibratedCurves(series, options, 10, 50, 400);
        for (int c = 0; c < kChannels; ++c) {
            int checked = 0;
            for (const QPointF &point : curves[c]) {
                if (std::isnan(point.y())) continue;
                const qint64 sample = std::llround(10 + point.x() * 40 / 400);
                QCOMPARE(point.y(),
                         options.channels.channels[c].calibration(series.value(c, sample)));
                ++checked;
            }
            QCOMPARE(checked, c == 1 ? 42 : 43); // and one beyond each edge; a gap on channel 2
        }

        FakeDesktop desktop;
        ChartPane pane(&desktop, m_dir.path());
        pane.setChannels(volts());
        pane.setInterval(0.5);
        pane.showText(sampleLine({1023, 200, 7}).repeated(20));
        pane.resize(600, 400);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        pane.view()->repaint();
        QTest::mouseMove(pane.view(), pane.view()->frame().plot.center().toPoint());
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text().section('\n', 1), "Tension : 5 V\nTempérature : 0 °C\nVoie3 : 7");
        QVERIFY(QToolTip::text().startsWith("Temps : "));

        // The statistics leave gaps out, in the units (extremes swapped by a falling
        // calibration), of the visible samples and channels.
        pane.showText(sampleLine({0, 100, 1}) + sampleLine({1023, 300, 3}) +
                      "ZZZZ ZZZZ ZZZZ .\r\n" + sampleLine({0, 200, 5}));
        QCOMPARE(pane.statisticsText(), "Tension (V)\t0 V\t5 V\t1,66667 V\n"
                                        "Température (°C)\t-50 °C\t50 °C\t0 °C\n"
                                        "Voie3\t1\t5\t3");
        pane.view()->zoomTo(2, 2.5); // the row of gaps alone
        pane.view()->setChannelHidden(0, true);
        QCOMPARE(pane.statisticsText(), "Température (°C)\t—\t—\t—\nVoie3\t—\t—\t—");
    }

    // Default settings draw raw counts on one axis, pixel for pixel as the reference images, whole
    // and zoomed; the export adds its title and table without touching the chart.
    void theDefaultSettingsDrawTheReferenceImagesAndTheExportKeepsThem() {
        // The reference images hold text drawn in DejaVu Sans, the Debian default font.
        if (QFontInfo(QFont()).family() != QLatin1String("DejaVu Sans"))
            QSKIP("the reference images were drawn with DejaVu Sans, absent here");
        SampleSeries series;
        series.setText(referenceText());
        chart::Options options;
        options.locale = QLocale::c();
        const QImage whole = chart::render(series, QSize(400, 260), options);
        QCOMPARE(whole,
                 QImage(VOLTERNE_TEST_DATA "/chart/default.png").convertToFormat(whole.format()));
        options.first = 20, options.last = 60, options.interval = 0.5, options.hidden[1] = true;
        const QImage zoomed = chart::render(series, QSize(400, 260), options);
        QCOMPARE(zoomed,
                 QImage(VOLTERNE_TEST_DATA "/chart/zoomed.png").convertToFormat(zoomed.format()));

        const QImage report =
            chart::renderWithStatistics(series, QSize(400, 260), options, "transfert_05122026.txt");
        QVERIFY(report.height() > 260 + 3 * 10);
        const int above =
            report.height() - 260 -
            (chart::renderWithStatistics(series, QSize(400, 260), options, {}).height() - 260);
        QCOMPARE(report.copy(0, above, 400, 260), zoomed);
    }

    // A series of one sample shows it, each channel a dot in the middle of the plot at its value;
    // a unit titles its axis along the chart's edge, not in the legend's row, which holds the
    // legend alone.
    void aLoneSampleIsDrawnAndUnitsTitleTheirAxesAwayFromTheLegend() {
        SampleSeries lone;
        lone.setText(sampleLine({500, 600, 700}));
        QImage image(400, 260, QImage::Format_RGB32);
        QPainter painter(&image);
        chart::Frame frame = chart::paint(painter, image.size(), lone, {});
        for (int c = 0; c < kChannels; ++c) {
            const double value = lone.value(c, 0);
            const QPointF at(frame.sampleToX(0),
                             frame.plot.bottom() - (value - frame.low) / (frame.high - frame.low) *
                                                       frame.plot.height());
            QVERIFY(frame.plot.adjusted(8, 8, -8, -8).contains(at));
            QCOMPARE(image.pixelColor(at.toPoint()), chart::kColours[c]);
        }

        SampleSeries series;
        series.setText(referenceText());
        chart::Options options;
        options.channels = volts();
        options.hidden[2] = true; // a unit of its own would run the legend to the edge
        frame = chart::paint(painter, image.size(), series, options);
        const auto blank = [&](QRect area) {
            area &= image.rect();
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    if (image.pixel(x, y) != qRgb(255, 255, 255)) return false;
            return true;
        };
        const QRectF first = frame.legend[0], last = frame.legend[2]; // hidden, still listed
        // The upper half of the row: the right axis's top label reaches into the lower one.
        const int row = int(first.center().y());
        QVERIFY(blank(QRect(0, 0, int(first.left()), row)));
        QVERIFY(blank(QRect(int(last.right()) + 1, 0, image.width(), row)));
        // Each title stands in the strip beyond its axis's labels, at the plot's height.
        if (!lettersAreDrawn())
            QSKIP("no font draws letters on this platform (offscreen under Windows)");
        const int middle = int(frame.plot.center().y());
        QVERIFY(!blank(QRect(0, middle - 20, 14, 40)));
        QVERIFY(!blank(QRect(image.width() - 14, middle - 20, 14, 40)));
    }

    // The calibration points and limits typed in the dialog: bad ones are refused with their
    // reason and nothing is saved; good ones, with commas, points or blanks, are drawn and saved.
    void theChannelsDialogReadsOrRefusesTheCalibrationWithTheReason_data() {
        QTest::addColumn<QStringList>("points"); // raw and value of point 1, then of point 2
        QTest::addColumn<QString>("shown");      // the dialog's line for the channel
        QTest::addColumn<QStringList>("limits"); // low and high as typed
        QTest::addColumn<QString>("refusal");    // why the limits are refused
        const QStringList line{"0", "0", "1023", "5"};
        const QString fine = "Facteur 0,00488759 ; décalage 0";
        QTest::newRow("limits, one empty") << line << fine << QStringList{" 1,5 ", ""} << QString();
        QTest::newRow("limits, low above high")
            << line << fine << QStringList{"4", "3,5"}
            << "La limite basse (4) dépasse la limite haute (3,5).";
        QTest::newRow("a limit that is no number")
            << line << fine << QStringList{"", "haut"}
            << "La limite haute n'est pas un nombre : « haut ».";
        QTest::newRow("commas, points, blanks")
            << QStringList{"0", " 0,0 ", "1023", "5.0"} << "Facteur 0,00488759 ; décalage 0"
            << QStringList{"", ""} << QString();
        QTest::newRow("an offset")
            << QStringList{"10", "1", "20", "3"} << "Facteur 0,2 ; décalage -1"
            << QStringList{"", ""} << QString();
        QTest::newRow("not a number") << QStringList{"abc", "0", "1023", "5"}
                                      << "La valeur brute du point 1 n'est pas un nombre : « abc »."
                                      << QStringList{"", ""} << QString();
        QTest::newRow("equal raw values")
            << QStringList{"512", "0", "512,0", "5"}
            << "Les deux points ont la même valeur brute (512) : il faut deux valeurs brutes "
               "différentes."
            << QStringList{"", ""} << QString();
        QTest::newRow("group separator")
            << QStringList{"0", "1 000", "1023", "5"}
            << "La valeur physique du point 1 n'est pas un nombre : « 1 000 »."
            << QStringList{"", ""} << QString();
        QTest::newRow("empty") << QStringList{"0", "0", "", "5"}
                               << "La valeur brute du point 2 est vide." << QStringList{"", ""}
                               << QString();
        QTest::newRow("too steep")
            << QStringList{"0", "-1e308", "1e-300", "1e308"}
            << "Ces deux points donnent une droite trop raide : rapprochez les valeurs physiques "
               "ou écartez les valeurs brutes."
            << QStringList{"", ""} << QString();
    }

    void theChannelsDialogReadsOrRefusesTheCalibrationWithTheReason() {
        QFETCH(QStringList, points);
        QFETCH(QString, shown);
        QFETCH(QStringList, limits);
        QFETCH(QString, refusal);
        QTemporaryDir dir;
        const QByteArray before = "[graphique]\r\nintervalle=0.5\r\n";
        const QString ini = dir.filePath("param.ini");
        QVERIFY(writeFile(ini, before));
        FakeDesktop desktop;
        ChartPane pane(&desktop, dir.path());
        pane.show();
        pane.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&pane));
        QTest::keyClick(&pane, Qt::Key_V, Qt::AltModifier);
        QTRY_VERIFY(pane.findChild<ChannelsDialog *>());
        ChannelsDialog *dialog = pane.findChild<ChannelsDialog *>();
        QVERIFY(dialog->isVisible() && dialog->isModal());
        QCOMPARE(dialog->lineLabel(0)->text(), "Facteur 1 ; décalage 0");
        dialog->nameField(0)->setText("Tension");
        dialog->unitField(0)->setText("V");
        for (int p = 0; p < ChannelsDialog::kPoints; ++p)
            dialog->pointField(0, p)->setText(points[p]);
        dialog->lowField(0)->setText(limits[0]);
        dialog->highField(0)->setText(limits[1]);
        QCOMPARE(dialog->lineLabel(0)->text(), shown);
        dialog->accept();
        if (!shown.startsWith("Facteur") || !refusal.isEmpty()) {
            QVERIFY(dialog->isVisible());
            QCOMPARE(dialog->problemLabel()->text(),
                     "Voie1 : " + (refusal.isEmpty() ? shown : refusal));
            dialog->reject();
            QVERIFY(pane.channels().isDefault());
            QCOMPARE(readFile(ini), before);
            return;
        }
        QVERIFY(!dialog->isVisible());
        QCOMPARE(pane.channels().title(0), "Tension (V)");
        // The line goes through both points exactly.
        for (int p : {0, 2})
            QCOMPARE(pane.channels().channels[0].calibration(points[p].toInt()),
                     points[p + 1].trimmed().replace(u',', u'.').toDouble());
        QCOMPARE(std::pair(pane.channels().channels[0].low, pane.channels().channels[0].high),
                 std::pair(limits[0].isEmpty() ? std::nullopt : std::optional(1.5),
                           std::optional<double>()));
        QCOMPARE(ChannelSettings::read(Profile(ini)), pane.channels());
        QVERIFY(desktop.messages.isEmpty());
    }

    // Limits are dashed lines in their channel's colour at their value on its scale, left out
    // beyond the range shown, which they never widen. The statistics count the values outside them
    // (gaps left out) with their duration, and the window's table shows that column only while a
    // visible channel has limits.
    void limitsAreDashedLinesAndTheStatisticsCountTheSamplesOutsideThem() {
        QByteArray text;
        for (int n = 0; n < 40; ++n)
            text +=
                n == 2 ? QByteArray("ZZZZ 0096 012E .\r\n") : sampleLine({n * 25, 150, 300 + n});
        SampleSeries series;
        series.setText(text);
        chart::Options options;
        options.channels = volts(); // 0 to 5 V; a falling calibration, raw 150 at 25 °C
        options.channels.channels[0].low = 1;
        options.channels.channels[0].high = 4;
        options.channels.channels[1].low = -80; // beyond the range shown
        options.channels.channels[1].high = 0;
        options.channels.channels[2].high = 5000; // on a fitted scale of its own
        options.values[chart::kLeftScale] = {0, 5};
        options.values[chart::kRightScale] = {-50, 50};
        options.interval = 0.5;
        QImage image(500, 300, QImage::Format_RGB32);
        QPainter painter(&image);
        const chart::Frame frame = chart::paint(painter, image.size(), series, options);
        // Whether a row of the plot holds a dashed line of the channel's colour: many runs of it
        // covering much of the row, but not all.
        const auto dashedRow = [&](int channel, int y) {
            int coloured = 0, runs = 0;
            bool before = false;
            for (int x = int(frame.plot.left()) + 1; x < int(frame.plot.right()); ++x) {
                const bool on = image.pixelColor(x, y) == chart::kColours[channel];
                coloured += on;
                runs += on && !before;
                before = on;
            }
            return runs > 20 && coloured > frame.plot.width() / 3 &&
                   coloured < frame.plot.width() * 0.9;
        };
        const auto dashedAt = [&](int channel, double value, int scale) {
            const chart::ValueRange &range = frame.values[scale];
            const double y = frame.plot.bottom() -
                             (value - range.low) / (range.high - range.low) * frame.plot.height();
            return dashedRow(channel, int(y) - 1) || dashedRow(channel, int(y)) ||
                   dashedRow(channel, int(y) + 1);
        };
        QVERIFY(dashedAt(0, 1, chart::kLeftScale));
        QVERIFY(dashedAt(0, 4, chart::kLeftScale));
        QVERIFY(dashedAt(1, 0, chart::kRightScale));
        QVERIFY(!dashedAt(0, 2.5, chart::kLeftScale));
        QVERIFY(frame.values[chart::kOwnScale].high < 400);
        int dashedRows = 0;
        for (int y = int(frame.plot.top()); y <= int(frame.plot.bottom()); ++y)
            for (int c = 0; c < kChannels; ++c)
                dashedRows += dashedRow(c, y);
        QCOMPARE(dashedRows, 3);

        // Below 1 V: samples 0 to 8 but the gap; above 4 V: 33 to 39; all of channel 2.
        const auto &settings = options.channels.channels;
        QCOMPARE(chart::outsideCount(series, 0, settings[0], 0, 39), 15);
        QCOMPARE(chart::outsideCount(series, 0, settings[0], 10, 35), 3);
        QCOMPARE(chart::outsideCount(series, 0, settings[0], -5, 100), 15);
        QCOMPARE(chart::outsideCount(series, 1, settings[1], 0, 39), 40);
        QCOMPARE(chart::outsideCount(series, 2, settings[2], 0, 39), 0);
        QCOMPARE(chart::outsideCount(series, 2, ChannelSetting{}, 0, 39), 0);
        const auto outside = [&] {
            QStringList cells;
            for (const chart::StatisticsRow &row : chart::statisticsRows(series, options))
                cells << row.outside;
            return cells;
        };
        QCOMPARE(outside(), QStringList({"15 (7,5 s)", "40 (20 s)", "0"}));
        options.interval = 0;
        options.channels.channels[2].high.reset();
        QCOMPARE(outside(), QStringList({"15", "40", chart::kNoValue}));
        options.first = 10, options.last = 35, options.interval = 1242;
        QCOMPARE(outside().first(), "3 (62,1 min)");
        options.interval = 2500;
        QCOMPARE(outside().first(), "3 (2,1 h)"); // 2,0833 h

        FakeDesktop desktop;
        ChartPane pane(&desktop, m_dir.path());
        pane.setChannels(options.channels);
        pane.setInterval(0.5);
        pane.showText(text);
        QCOMPARE(pane.statisticsText().section('\n', 0, 0),
                 "Tension (V)\t0 V\t4,7654 V\t2,43753 V\t15 (7,5 s)");
        QCOMPARE(pane.statisticsText().section('\n', 2), "Voie3\t300\t339\t319,5\t—");
        pane.view()->setChannelHidden(0, true);
        pane.view()->setChannelHidden(1, true);
        QCOMPARE(pane.statisticsText(), "Voie3\t300\t339\t319,5");
    }

    // The report: one A4 page of the recording's facts, the chart of the shown range and the
    // figures of its channels, the times of their extremes, in the locale; the unknown said so;
    // or false with the French reason, nothing written.
    void theReportIsOnePageOfTheFactsTheChartAndTheFiguresOrSaysWhyNot() {
        QByteArray text;
        for (int n = 0; n < 20; ++n)
            text += sampleLine({n == 13 ? 50 : 500 + n, 100 + 10 * n, 1023});
        SampleSeries series;
        series.setText(text);
        chart::ReportContent content;
        content.name = "transfert_06122026.txt";
        content.facts.port = "COM1";
        content.facts.device = "/dev/ttyUSB0";
        content.facts.serialNumber = "A10K1ABC";
        content.facts.recorded = QDateTime(QDate(2026, 12, 6), QTime(14, 3, 12));
        content.facts.start = QDateTime(QDate(2026, 12, 6), QTime(12, 0));
        content.facts.startOrigin = StartOrigin::LastReset;
        content.facts.periodCode = 150;
        content.facts.boardSwitch = 3;
        content.facts.interval = 0.5;
        content.series = &series;
        content.options.channels = volts();
        content.options.channels.channels[0].low = 0.5;
        content.options.channels.channels[0].high = 30;
        content.version = "1.2.3";
        content.moment = QDateTime(QDate(2026, 12, 7), QTime(9, 30));

        QTemporaryDir dir;
        QString error;
        QVERIFY(!chart::writeReport(dir.path(), content, &error));
        QCOMPARE(error, filereason::cannotCreate(dir.path(), EISDIR));
        QVERIFY(error.contains("est un dossier"));
        QVERIFY(!chart::writeReport(dir.filePath("absent/rapport.pdf"), content, &error));
        QCOMPARE(error, "Le dossier de « rapport.pdf » n'existe pas.");
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), {});
        const QString path = dir.filePath("rapport.pdf");
        QVERIFY2(chart::writeReport(path, content, &error), qPrintable(error));
        const QString empty = dir.filePath("vide.pdf");
        QVERIFY2(chart::writeReport(empty, {}, &error), qPrintable(error));
        QVERIFY(readFile(path).startsWith("%PDF-"));

        const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
        const QString pdfinfo = QStandardPaths::findExecutable("pdfinfo");
        const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
        if (pdftotext.isEmpty() || pdfinfo.isEmpty() || pdftoppm.isEmpty())
            QSKIP("pdftotext, pdfinfo or pdftoppm (Debian: poppler-utils) is not installed");
        const auto run = [](const QString &program, const QStringList &arguments) {
            QProcess process;
            process.start(program, arguments);
            process.waitForFinished(-1);
            return QString::fromUtf8(process.readAllStandardOutput());
        };
        const QString page = run(pdftotext, {"-layout", path, "-"});
        for (const char *expected :
             {"transfert_06122026.txt", "Platine : COM1 — /dev/ttyUSB0 — n° A10K1ABC",
              "Téléchargé le 2026-12-06 14:03:12", "Début : 2026-12-06 12:00:00 (dernière RAZ)",
              "Fin : 2026-12-06 12:00:09.500",
              "Période : code 150, commutateur S = 3, intervalle 0,5 s",
              "Plage affichée : échantillons 1 à 20 sur 20", "0 → 0 ; 1023 → 5",
              "100 → 50 ; 300 → -50", "bas 0,5 / haut 30", "Volterne 1.2.3",
              "Rapport établi le 2026-12-07 09:30:00"})
            QVERIFY2(page.contains(QString::fromUtf8(expected)), expected);
        // Each extreme with the time of its first sample: a falling calibration's maximum is
        // its lowest raw value; the time outside limits, the one sample below 0,5 V.
        for (const char *row :
             {"Tension \\(V\\) +0,244379 V +2026-12-06 12:00:06.500 +2,53666 V +"
              "2026-12-06 12:00:09.500 +2,37708 V +1 \\(0,5 s\\)",
              "Température \\(°C\\) +-45 °C +2026-12-06 12:00:09.500 +50 °C +"
              "2026-12-06 12:00:00 +2,5 °C +—",
              "Voie3 +1023 +2026-12-06 12:00:00 +1023 +2026-12-06 12:00:00 +1023 +—"})
            QVERIFY2(page.contains(QRegularExpression(QString::fromUtf8(row))), row);
        QVERIFY(run(pdfinfo, {path}).contains(QRegularExpression("\nPages: +1\n")));
        const QString nothing = run(pdftotext, {"-layout", empty, "-"});
        for (const char *expected :
             {"Platine : inconnue", "Téléchargement : inconnu", "Début : inconnu", "Fin : inconnue",
              "code inconnu, commutateur S inconnu, intervalle inconnu", "Aucun échantillon"})
            QVERIFY2(nothing.contains(QString::fromUtf8(expected)), expected);

        // A4 at 150 dpi; where the chart is, every channel's colour among the curves.
        run(pdftoppm, {"-r", "150", "-png", "-singlefile", path, dir.filePath("page")});
        const QImage image(dir.filePath("page.png"));
        QVERIFY(std::abs(image.width() - 1240) <= 1 && std::abs(image.height() - 1754) <= 1);
        const int mm = 150 / 25.4;
        std::array<int, kChannels> coloured{};
        for (int y = 70 * mm; y < 150 * mm; ++y)
            for (int x = 20 * mm; x < 190 * mm; ++x)
                for (int c = 0; c < kChannels; ++c) {
                    const QColor pixel = image.pixelColor(x, y), colour = chart::kColours[c];
                    coloured[c] += std::abs(pixel.red() - colour.red()) +
                                       std::abs(pixel.green() - colour.green()) +
                                       std::abs(pixel.blue() - colour.blue()) <
                                   40;
                }
        for (int c = 0; c < kChannels; ++c)
            QVERIFY2(coloured[c] > 100, qPrintable(QString::number(coloured[c])));
    }
};

QTEST_MAIN(ChartTest)
#include "tst_chart.moc"
