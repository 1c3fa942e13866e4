// The chart: its samples read as the spreadsheet conversion reads them, the per-column reduction,
// the rendered image, and the pane's rolling window, mouse, export and remembered interval.
#include "app/chartpane.h"
#include "app/chartview.h"
#include "bytes.h"
#include "chart/axes.h"
#include "chart/chartrender.h"
#include "chart/reduction.h"
#include "chart/sampleseries.h"
#include "data/chartsettings.h"
#include "data/sampleline.h"
#include "data/spreadsheet.h"
#include "fakedesktop.h"

#include <QApplication>
#include <QBuffer>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <map>

namespace {

using Rows = QList<QByteArrayList>;

// The spreadsheet the conversion writes for `recording`, without its header.
QByteArray spreadsheetBody(const QByteArray &recording) {
    QBuffer in, out;
    in.setData(recording);
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    convertRecording(in, out);
    return out.data().sliced(sizeof "Voie1;Voie2;Voie3\r\n" - 1);
}

// Its rows seen through the chart's three channels: the first three cells of each row (a value, or
// empty for an invalid field), "-" past the end of a short row.
Rows spreadsheetRows(const QByteArray &recording) {
    Rows rows;
    for (QByteArray row : spreadsheetBody(recording).split('\n')) {
        if (row.isEmpty()) continue; // after the last CR LF
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

// Cuts `text` at random places, a few of them between a CR and its LF.
QList<QByteArray> randomChunks(const QByteArray &text, QRandomGenerator &random) {
    QList<QByteArray> chunks;
    for (qsizetype at = 0; at < text.size();) {
        qsizetype length = 1 + random.bounded(40);
        const qsizetype cr = text.indexOf('\r', at);
        if (cr >= 0 && random.bounded(3) == 0) length = cr + 1 - at;
        chunks << text.mid(at, length);
        at += length;
    }
    return chunks;
}

// A recording of board lines, messages and damaged lines of every kind.
QByteArray randomRecording(QRandomGenerator &random) {
    static const QByteArray noise = "0123456789ABCDEFaG .;\t\n\xE9";
    QByteArray text;
    const int lines = random.bounded(60);
    for (int line = 0; line < lines; ++line) {
        if (random.bounded(3) == 0) {
            for (int i = random.bounded(30); i > 0; --i)
                text += noise[random.bounded(int(noise.size()))];
        } else {
            for (int field = random.bounded(8); field > 0; --field)
                text += QByteArray::number(random.bounded(0x9000), 16)
                            .toUpper()
                            .rightJustified(4, '0') +
                        " ;,"[random.bounded(3)];
            text += random.bounded(4) == 0 ? "00." : " .";
        }
        text += random.bounded(4) == 0 ? "\r" : "\r\n";
    }
    return text;
}

// Pixels of exactly `colour` within `area` of `image`.
int pixelsOf(const QImage &image, const QColor &colour, const QRect &area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixel(x, y) == colour.rgb();
    return count;
}

} // namespace

class ChartTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void chartSamplesAreTheSpreadsheetRows_data() {
        QTest::addColumn<QByteArray>("recording");
        QTest::addColumn<int>("samples");
        QTest::newRow("worked example") << QByteArray("0123 0456 0789 .\r\n") << 1;
        QTest::newRow("rows that run on across lines")
            << readFile(VOLTERNE_TEST_DATA "/spreadsheet/rows_across_lines.txt") << 3;
        QTest::newRow("invalid fields are gaps")
            << QByteArray("0001 zzzz 8000 .\r\n00a0 0002 -003 .\r\n") << 2;
        QTest::newRow("CR alone ends a line")
            << QByteArray("0001 0002 0003 .\r0004 .\rEffectue\r") << 2;
        QTest::newRow("messages, a dot first, a last line without end")
            << QByteArray("PIC 16F88\r\n.0001 .\r\n\r\n0001 0002 0003 .") << 1;
        QTest::newRow("short last fields") << QByteArray("0001 0002 0C .\r\n7FFF 3F.\r\n") << 2;
    }

    void chartSamplesAreTheSpreadsheetRows() {
        QFETCH(QByteArray, recording);
        QFETCH(int, samples);
        SampleSeries series;
        series.setText(recording);
        QCOMPARE(series.size(), samples);
        QCOMPARE(seriesRows(series), spreadsheetRows(recording));
    }

    // Whatever the line ends, damaged lines and chunk boundaries, the chart gives the spreadsheet's
    // rows cell by cell, and the decoder its cells, rows and line numbers.
    void randomRecordingsInRandomChunksGiveTheSpreadsheetRows() {
        QRandomGenerator random(8);
        for (int round = 0; round < 400; ++round) {
            const QByteArray recording = randomRecording(random);
            const Rows expected = spreadsheetRows(recording);
            const QList<QByteArray> chunks = randomChunks(recording, random);

            SampleSeries whole, growing;
            whole.setText(recording);
            for (const QByteArray &chunk : chunks)
                growing.append(chunk);
            QCOMPARE(seriesRows(whole), expected);
            QCOMPARE(seriesRows(growing), expected);

            SampleDecoder decoder;
            QByteArray decoded;
            qint64 firstInvalidLine = 0;
            auto take = [&](const SampleField &field) {
                decoded += (field.value.valid ? QByteArray::number(field.value.value) : "") + ';' +
                           (field.endsRow ? "\r\n" : "");
                if (!field.value.valid && firstInvalidLine == 0) firstInvalidLine = field.line;
            };
            for (const QByteArray &chunk : chunks)
                decoder.feed(chunk, take);
            decoder.finish(take);
            QCOMPARE(decoded, spreadsheetBody(recording));
            QBuffer in, out;
            in.setData(recording);
            in.open(QIODevice::ReadOnly);
            out.open(QIODevice::WriteOnly);
            QCOMPARE(firstInvalidLine, convertRecording(in, out).firstInvalidLine);
        }
    }

    void liveModeKeepsTheLastSamplesAndReadsASplitLineOnce() {
        FakeDesktop desktop;
        ChartPane pane(&desktop, m_dir.path());
        QCOMPARE(pane.liveCapacity(), 600);
        pane.setLiveCapacity(5);
        pane.showText(sampleLine({9, 9, 9}));
        QByteArray stream;
        for (int n = 1; n <= 12; ++n)
            stream += sampleLine({n, 100 + n, 200 + n});
        // Cut in the middle of the sixth line, then between CR and LF of the eleventh.
        const qsizetype cut = 5 * 18 + 7;
        pane.liveChunk(stream.left(cut));
        QCOMPARE(pane.series().size(), 5);
        QCOMPARE(pane.series().value(0, 4), 5);
        pane.liveChunk(stream.mid(cut, 11 * 18 - 1 - cut));
        pane.liveChunk(stream.mid(11 * 18 - 1));
        const SampleSeries &series = pane.series();
        QCOMPARE(series.size(), 5);
        QCOMPARE(series.dropped(), 7);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(series.value(0, i), 8 + i);
            QCOMPARE(series.value(2, i), 208 + i);
        }
        // A download after the live reading starts afresh and keeps everything.
        pane.appendChunk(stream);
        QCOMPARE(pane.series().size(), 12);
    }

    void aSingleSampleSpikeSurvivesTheReduction() {
        std::vector<qint16> values(1'000'000);
        QRandomGenerator random(3);
        for (qint16 &value : values)
            value = qint16(500 + random.bounded(20));
        values[654'321] = 32000;
        values[123'457] = 3;
        for (auto [first, last] : {std::pair{0.0, 999'999.0}, std::pair{600'000.0, 700'000.0}}) {
            const std::vector<QPointF> points =
                reduceChannel(values.data(), qint64(values.size()), first, last, 640);
            double high = 0, low = 1e9;
            for (const QPointF &point : points) {
                high = std::max(high, point.y());
                low = std::min(low, point.y());
            }
            QCOMPARE(high, 32000.0);
            if (first == 0) QCOMPARE(low, 3.0);
        }
    }

    void theReductionHoldsAtMostTwoPointsAColumnAndTheExtremes_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("first");
        QTest::addColumn<double>("last");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("gapEvery"); // 0: no gaps
        QTest::newRow("many samples a column") << 100'000 << 0.0 << 99'999.0 << 777 << 0;
        QTest::newRow("zoomed in the middle") << 100'000 << 31'000.5 << 33'333.3 << 500 << 0;
        QTest::newRow("a column a sample or so") << 1'000 << 0.0 << 999.0 << 997 << 7;
        QTest::newRow("fewer samples than columns") << 50 << 0.0 << 49.0 << 800 << 5;
        QTest::newRow("with gaps") << 20'000 << 10.0 << 15'000.0 << 300 << 3;
    }

    void theReductionHoldsAtMostTwoPointsAColumnAndTheExtremes() {
        QFETCH(int, count);
        QFETCH(double, first);
        QFETCH(double, last);
        QFETCH(int, width);
        QFETCH(int, gapEvery);
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
        double trueLow = 1e9, trueHigh = -1;
        for (int i = int(std::ceil(first)); i <= int(last); ++i) {
            if (values[i] < 0) continue;
            trueLow = std::min<double>(trueLow, values[i]);
            trueHigh = std::max<double>(trueHigh, values[i]);
        }
        QCOMPARE(low, trueLow);
        QCOMPARE(high, trueHigh);
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
        QTest::addColumn<qint64>("dropped");
        QTest::addColumn<double>("span");
        QTest::addColumn<double>("interval");
        QTest::addColumn<QString>("title");
        QTest::addColumn<double>("firstShown"); // what position 0 reads as
        QTest::addColumn<double>("secondShown");
        QTest::newRow("samples from 1") << 0LL << 100.0 << 0.0 << "Échantillon" << 1.0 << 2.0;
        QTest::newRow("a rolling window goes on counting")
            << 7LL << 100.0 << 0.0 << "Échantillon" << 8.0 << 9.0;
        QTest::newRow("two minutes in seconds") << 0LL << 240.0 << 0.5 << "Temps (s)" << 0.0 << 0.5;
        QTest::newRow("ten minutes in minutes")
            << 10LL << 1200.0 << 0.5 << "Temps (min)" << 5.0 / 60 << 5.5 / 60;
        QTest::newRow("three hours in hours")
            << 0LL << 5400.0 << 2.0 << "Temps (h)" << 0.0 << 2.0 / 3600;
    }

    void theXAxisCountsSamplesOrTellsTimeInTheUnitThatReadsBest() {
        QFETCH(qint64, dropped);
        QFETCH(double, span);
        QFETCH(double, interval);
        QFETCH(QString, title);
        QFETCH(double, firstShown);
        QFETCH(double, secondShown);
        const chart::XAxis axis = chart::xAxis(dropped, span, interval);
        QCOMPARE(axis.title, title);
        QCOMPARE(axis.offset, firstShown);
        QCOMPARE(axis.offset + axis.scale, secondShown);
        QCOMPARE(chart::tickLabel(2.5, 0.5, QLocale(QLocale::French)), "2,5");
        QCOMPARE(chart::tickLabel(12000, 1000, QLocale(QLocale::French)), "12000");
        QCOMPARE(chart::tickLabel(0.25, 0.05, QLocale::c()), "0.25");
    }

    void aRenderedPngShowsTheThreeChannelColours() {
        SampleSeries series;
        series.setText(QByteArray("PIC 16F88\r\n") +
                       sampleLine({0x100, 0x200, 0x300}).repeated(50));
        const QSize size(640, 400);
        QImage scratch(size, QImage::Format_RGB32);
        QPainter painter(&scratch);
        const QRect plot = chart::paint(painter, size, series, {}).plot.toAlignedRect();
        painter.end();

        const QString path = m_dir.filePath("chart.png");
        QString error;
        QVERIFY(chart::savePng(chart::render(series, size), path, &error));
        const QImage image(path, "PNG");
        QCOMPARE(image.size(), size);
        for (const QColor &colour : chart::kColours)
            QVERIFY(pixelsOf(image, colour, plot) > 200);

        chart::Options options;
        options.hidden[1] = true;
        const QImage partial = chart::render(series, size, options);
        QCOMPARE(pixelsOf(partial, chart::kColours[1], plot), 0);
        QVERIFY(pixelsOf(partial, chart::kColours[2], plot) > 200);

        const QImage empty = chart::render(SampleSeries(), size);
        for (const QColor &colour : chart::kColours)
            QCOMPARE(pixelsOf(empty, colour, empty.rect()), 0);
        QVERIFY(!chart::savePng(empty, m_dir.filePath("absent/chart.png"), &error));
        QVERIFY(error.contains("chart.png"));
    }

    void theExportSavesAPngOrSaysWhyNot() {
        FakeDesktop desktop;
        ChartPane pane(&desktop, m_dir.path());
        QCOMPARE(pane.objectName(), "graphique");
        QCOMPARE(pane.accessibleName(), "Graphique");
        QCOMPARE(pane.exportButton()->text(), "Exporter l'image…");
        pane.showText(sampleLine({1, 2, 3}).repeated(10));

        desktop.nextImageLocation = m_dir.filePath("absent/graphique.png");
        pane.exportButton()->click();
        QTRY_COMPARE(desktop.messages.size(), 1);
        QCOMPARE(desktop.lastImageSuggestion, m_dir.filePath("graphique.png"));
        QVERIFY(desktop.messages[0].startsWith("Exporter l'image|"));
        QVERIFY(desktop.messages[0].contains("n'existe pas"));

        desktop.nextImageLocation = m_dir.filePath("saved.png");
        QSignalSpy said(&pane, &ChartPane::said);
        pane.exportButton()->click();
        QTRY_COMPARE(desktop.imageQuestions, 2);
        QVERIFY(!QImage(m_dir.filePath("saved.png"), "PNG").isNull());
        QCOMPARE(said.value(0).value(0).toString(),
                 "Image enregistrée dans " + m_dir.filePath("saved.png"));
        QCOMPARE(desktop.messages.size(), 1);
    }

    void theMouseZoomsHidesChannelsAndResets() {
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
    }

    void intervalsAreTypedWithEitherSeparator_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("seconds"); // -1: refused
        QTest::newRow("French comma") << "0,5" << 0.5;
        QTest::newRow("point") << "1.5" << 1.5;
        QTest::newRow("blanks around") << " 2 " << 2.0;
        QTest::newRow("empty: none") << "" << 0.0;
        QTest::newRow("zero") << "0" << -1.0;
        QTest::newRow("negative") << "-1" << -1.0;
        QTest::newRow("words") << "abc" << -1.0;
    }

    void intervalsAreTypedWithEitherSeparator() {
        QFETCH(QString, text);
        QFETCH(double, seconds);
        QCOMPARE(parseInterval(text).value_or(-1), seconds);

        FakeDesktop desktop;
        ChartPane pane(&desktop, m_dir.path());
        pane.setInterval(7);
        QCOMPARE(pane.intervalField()->text(), "7");
        QSignalSpy changed(&pane, &ChartPane::intervalChanged);
        QTest::keyClick(pane.intervalField(), Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(pane.intervalField(), Qt::Key_Backspace);
        else
            QTest::keyClicks(pane.intervalField(), text);
        // Typing goes through the text's beginnings; the last valid one counts.
        QCOMPARE(pane.interval(), seconds < 0 ? 7 : seconds);
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
};

QTEST_MAIN(ChartTest)
#include "tst_chart.moc"
