#pragma once

#include "data/channels.h"
#include "data/channelsettings.h"
#include "data/facts.h"

#include <QColor>
#include <QImage>
#include <QLocale>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>

#include <array>
#include <utility>
#include <vector>

class QPainter;
class SampleSeries;

namespace chart {

// Told apart with the common colour-vision deficiencies (Okabe and Ito's palette).
inline const std::array<QColor, kChannels> kColours = {
    QColor(0x00, 0x72, 0xB2), QColor(0xE6, 0x9F, 0x00), QColor(0x00, 0x9E, 0x73)};
inline const QString kNoSamples = QStringLiteral("Aucun échantillon");

// Channels are drawn in their units, through their calibrations. Channels of one unit share a
// scale, and no two units ever share one: the first visible channel's unit has the axis on the
// left, the next unit the axis on the right, each axis titled with its unit along the chart's edge
// beside its labels; a third unit (three channels in three units) is drawn on a scale of its own
// fitted to its values, which its legend entry tells ("échelle propre : 20 à 30 °C"), without an
// axis.
inline constexpr int kScales = 3;
enum Scale { kLeftScale, kRightScale, kOwnScale };

// A range of values on one scale; when high is not above low it is not fixed, and the chart fits
// the visible data with a small margin.
struct ValueRange {
    double low = 0;
    double high = -1;
    bool fixed() const { return high > low; }
};

// What part of a series a chart shows and how.
struct Options {
    // Visible range of samples, as positions in the series (0 is its first sample); when last is
    // not above first the whole series shows.
    double first = 0;
    double last = -1;
    // Visible range of values on each scale.
    std::array<ValueRange, kScales> values{};
    std::array<bool, kChannels> hidden{};
    // Seconds between two samples: the x axis shows elapsed time. 0: it counts samples.
    double interval = 0;
    // When each sample was measured, when known: with a start and an interval, the x axis shows
    // the time of day (with the date where it changes) instead of the elapsed time.
    SampleClock clock;
    QLocale locale; // for the numbers on the axes
    // Names, units and calibrations; the defaults draw raw counts on one axis, as "Voie1" to
    // "Voie3".
    ChannelSettings channels;

    // The samples shown, first to last (positions, clamped to a series of `size` samples).
    std::pair<qint64, qint64> visibleSamples(qint64 size) const;
};

// The scale each channel is drawn on (-1 for a hidden one) and the unit of each scale, as the
// rule above gives them.
struct ScaleChoice {
    std::array<int, kChannels> scaleOf{-1, -1, -1};
    std::array<QString, kScales> units;
    std::array<bool, kScales> used{};
};
ScaleChoice chooseScales(const ChannelSettings &channels,
                         const std::array<bool, kChannels> &hidden);

// Where a drawn chart put things, and the ranges it settled on, for mapping the mouse.
struct Frame {
    QRectF plot;
    std::array<QRectF, kChannels> legend; // each entry's swatch and name
    double first = 0, last = 1;
    double low = 0, high = 1; // the left axis's range
    std::array<ValueRange, kScales> values{};
    ScaleChoice scales;
    bool empty = true; // the series had no samples: only kNoSamples was drawn

    double xToSample(double x) const {
        return first + (x - plot.left()) / plot.width() * (last - first);
    }
    double sampleToX(double sample) const {
        return plot.left() + (sample - first) / (last - first) * plot.width();
    }
    double yToValue(double y, int scale = kLeftScale) const {
        const ValueRange &range = values[scale];
        return range.low + (plot.bottom() - y) / plot.height() * (range.high - range.low);
    }
};

// Each visible channel reduced to `width` columns over [first, last] (reduceChannel), its values
// through its calibration: a calibration is a straight line, so the extremes of a column stay its
// extremes and calibrating the reduced points costs a few thousand multiplications at most.
using Curves = std::array<std::vector<QPointF>, kChannels>;
Curves calibratedCurves(const SampleSeries &series, const Options &options, double first,
                        double last, int width);

// The x axis value of series position `sample`: its number counted from 1 since the stream began,
// or the seconds elapsed since the first sample when an interval is given.
double axisValue(const SampleSeries &series, double sample, double interval);

// Draws the chart into the rectangle (0, 0, size) of `painter`, with its current font: the
// channels reduced to the plot's pixel columns and calibrated, their gaps (a sample alone between
// gaps is a dot; a series of one sample shows it as that, in the middle of the plot), the axes
// with their ticks, and a legend naming the channels; or kNoSamples in the middle when the series
// is empty.
Frame paint(QPainter &painter, QSize size, const SampleSeries &series, const Options &options);

// The size of a saved chart unless the user gives another: the window's and the converter's.
inline constexpr QSize kDefaultImageSize(1200, 600);

// The chart on a white image of `size`, without any window: for saving and converting.
QImage render(const SampleSeries &series, QSize size, const Options &options = {});

// The statistics table: for each visible channel, its minimum, maximum and mean over the visible
// samples, in its unit, or kNoValue when they hold no value (all gaps); and, for a channel with
// limits, how many of those samples lie outside them, with their duration when the interval is
// known ("12 (6 s)", "0"), kNoValue for a channel without limits. That last column, "Hors
// limites", shows only when a visible channel has limits (showsOutside), so that a table of
// channels without limits keeps its four columns.
inline const QString kNoValue = QStringLiteral("—");
inline constexpr int kStatisticsColumns = 5;
inline constexpr int kOutsideColumn = 4;
inline const std::array<QString, kStatisticsColumns> kStatisticsHeader = {
    QStringLiteral("Voie"), QStringLiteral("Minimum"), QStringLiteral("Maximum"),
    QStringLiteral("Moyenne"), QStringLiteral("Hors limites")};
struct StatisticsRow {
    int channel = 0;
    QString title; // the legend's: "Voie1", "Tension (V)"
    QString minimum, maximum, mean;
    QString outside;      // "12 (6 s)", "0", or kNoValue without limits
    bool limited = false; // the channel has limits

    std::array<QString, kStatisticsColumns> cells() const {
        return {title, minimum, maximum, mean, outside};
    }
};
std::vector<StatisticsRow> statisticsRows(const SampleSeries &series, const Options &options);
// Whether the table shows its column "Hors limites": when one of its channels has limits.
bool showsOutside(const std::vector<StatisticsRow> &rows);

// What the window exports: `title` (the recording's name; nothing when empty) above the chart of
// `size`, drawn exactly as render() draws it, and the statistics table below it.
QImage renderWithStatistics(const SampleSeries &series, QSize size, const Options &options,
                            const QString &title);

// Writes the image as a PNG file at path, replacing it only once the whole image is written.
// False with a plain French reason in *error when it can't be.
bool savePng(const QImage &image, const QString &path, QString *error = nullptr);

} // namespace chart
