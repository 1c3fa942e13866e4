// The chart in the channels' units: calibrated curves, the statistics of the visible samples, the
// unchanged default drawing, the "Voies…" dialog and the converter's charts with --settings.
#include "app/channelsdialog.h"
#include "app/chartpane.h"
#include "app/chartview.h"
#include "chart/chartrender.h"
#include "chart/sampleseries.h"
#include "chart/statistics.h"
#include "data/profile.h"
#include "data/sampleline.h"
#include "fakedesktop.h"

#include <QFontInfo>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

namespace {

// 300 samples, a field of channel 2 not hexadecimal every 40 rows: what the reference images of
// tests/data/chart/ were drawn from before channels had settings.
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

class ChartMeasuresTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    // Every sample of a sparse range is a point of its own: its y is the calibration of its raw
    // value; the hover tells it in its unit.
    void curvesAndHoverShowEachSampleThroughItsCalibration() {
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
    }

    // The statistics of random ranges, gaps among them, against a direct count; in the units
    // (extremes swapped by a falling calibration) in the pane's table.
    void statisticsOfARangeLeaveGapsOut() {
        QRandomGenerator random(17);
        QByteArray text;
        for (int n = 0; n < 2000; ++n)
            text +=
                random.bounded(5) == 0
                    ? QByteArray("ZZZZ 0001 .\r\n")
                    : sampleLine({int(random.bounded(1024)), int(random.bounded(1024)), 0x7FFF});
        SampleSeries series;
        series.setText(text);
        for (int round = 0; round < 50; ++round) {
            const qint64 first = random.bounded(2100) - 50, last = random.bounded(2100) - 50;
            const auto got = chart::statistics(series, first, last);
            for (int c = 0; c < kChannels; ++c) {
                chart::RawStatistics expected;
                qint64 sum = 0, count = 0;
                int low = 1 << 20, high = -1;
                for (qint64 i = std::max<qint64>(first, 0);
                     i <= std::min<qint64>(last, series.size() - 1); ++i) {
                    if (const qint16 value = series.value(c, i); value >= 0) {
                        sum += value, ++count, low = std::min<int>(low, value);
                        high = std::max<int>(high, value);
                    }
                }
                QCOMPARE(got[c].count, count);
                if (count == 0) continue;
                QCOMPARE(got[c].minimum, low);
                QCOMPARE(got[c].maximum, high);
                QCOMPARE(got[c].mean(), double(sum) / count);
            }
        }

        FakeDesktop desktop;
        ChartPane pane(&desktop, m_dir.path());
        pane.setChannels(volts());
        pane.showText(sampleLine({0, 100, 1}) + sampleLine({1023, 300, 3}) +
                      "ZZZZ ZZZZ ZZZZ .\r\n" + sampleLine({0, 200, 5}));
        QCOMPARE(pane.statisticsText(), "Tension (V)\t0 V\t5 V\t1,66667 V\n"
                                        "Température (°C)\t-50 °C\t50 °C\t0 °C\n"
                                        "Voie3\t1\t5\t3");
        pane.view()->zoomTo(2, 2.5); // the row of gaps alone
        pane.view()->setChannelHidden(0, true);
        QCOMPARE(pane.statisticsText(), "Température (°C)\t—\t—\t—\nVoie3\t—\t—\t—");
    }

    // Default settings draw what the chart drew before channels had settings, pixel for pixel;
    // the export adds its title and table without touching the chart.
    void theDefaultSettingsDrawTheChartAsBefore() {
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

    // Bad points are refused in the dialog with their reason and nothing is saved; good ones,
    // typed with a comma, are drawn and saved.
    void theChannelsDialogRefusesBadPointsAndSavesGoodOnes_data() {
        QTest::addColumn<QStringList>("points");
        QTest::newRow("not a number") << QStringList{"abc", "0", "1023", "5"};
        QTest::newRow("empty") << QStringList{"0", "0", "1023", " "};
        QTest::newRow("same raw values") << QStringList{"12", "0", "12", "5"};
        QTest::newRow("good, comma") << QStringList{"0", "0", "1023", "5,0"};
    }

    void theChannelsDialogRefusesBadPointsAndSavesGoodOnes() {
        QFETCH(QStringList, points);
        QTemporaryDir dir;
        const QByteArray before = "[graphique]\r\nintervalle=0.5\r\n";
        QFile ini(dir.filePath("param.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly) && ini.write(before) == before.size());
        ini.close();
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
        QString reason;
        const auto expected = parseCalibration(points[0], points[1], points[2], points[3], &reason);
        QCOMPARE(dialog->lineLabel(0)->text(),
                 expected ? "Facteur 0,00488759 ; décalage 0" : reason);
        dialog->accept();
        if (!expected) {
            QVERIFY(dialog->isVisible());
            QCOMPARE(dialog->problemLabel()->text(), "Voie1 : " + reason);
            dialog->reject();
            QVERIFY(pane.channels().isDefault());
            QVERIFY(ini.open(QIODevice::ReadOnly));
            QCOMPARE(ini.readAll(), before);
            return;
        }
        QVERIFY(!dialog->isVisible());
        QCOMPARE(pane.channels().title(0), "Tension (V)");
        QCOMPARE(pane.channels().channels[0].calibration(1023), 5.0);
        QCOMPARE(ChannelSettings::read(Profile(ini.fileName())), pane.channels());
        QVERIFY(desktop.messages.isEmpty());
    }

    // --png draws with the channels of --settings, which --png alone now accepts.
    void theConverterDrawsWithTheSettingsFile() {
        Profile profile(m_dir.filePath("param.ini"));
        QVERIFY(volts().save(profile));
        const QString recording = m_dir.filePath("transfert_05122026.txt");
        QFile file(recording);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(referenceText()) > 0);
        file.close();
        QProcess process;
        process.start(VOLTERNE_CONVERT, {"--png", m_dir.filePath("courbe.png"), "--settings",
                                         profile.path(), recording});
        QVERIFY(process.waitForFinished(-1));
        QCOMPARE(process.exitCode(), 1); // the recording's invalid fields
        SampleSeries series;
        series.setText(referenceText());
        chart::Options options;
        options.locale = QLocale::system();
        options.channels = volts();
        const QImage expected = chart::render(series, QSize(1200, 600), options);
        QCOMPARE(QImage(m_dir.filePath("courbe.png")).convertToFormat(expected.format()), expected);
    }
};

QTEST_MAIN(ChartMeasuresTest)
#include "tst_chartmeasures.moc"
