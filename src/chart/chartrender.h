#pragma once

#include "data/channels.h"

#include <QColor>
#include <QImage>
#include <QLocale>
#include <QRectF>
#include <QSize>
#include <QString>

#include <array>

class QPainter;
class SampleSeries;

namespace chart {

// Told apart with the common colour-vision deficiencies (Okabe and Ito's palette).
inline const std::array<QColor, kChannels> kColours = {
    QColor(0x00, 0x72, 0xB2), QColor(0xE6, 0x9F, 0x00), QColor(0x00, 0x9E, 0x73)};
inline const QString kNoSamples = QStringLiteral("Aucun échantillon");

// What part of a series a chart shows and how.
struct Options {
    // Visible range of samples, as positions in the series (0 is its first sample); when last is
    // not above first the whole series shows.
    double first = 0;
    double last = -1;
    // Visible range of values; when high is not above low it fits the visible data with a small
    // margin.
    double low = 0;
    double high = -1;
    std::array<bool, kChannels> hidden{};
    // Seconds between two samples: the x axis shows elapsed time. 0: it counts samples.
    double interval = 0;
    QLocale locale; // for the numbers on the axes
};

// Where a drawn chart put things, and the ranges it settled on, for mapping the mouse.
struct Frame {
    QRectF plot;
    std::array<QRectF, kChannels> legend; // each entry's swatch and name
    double first = 0, last = 1, low = 0, high = 1;
    bool empty = true; // the series had no samples: only kNoSamples was drawn

    double xToSample(double x) const {
        return first + (x - plot.left()) / plot.width() * (last - first);
    }
    double sampleToX(double sample) const {
        return plot.left() + (sample - first) / (last - first) * plot.width();
    }
    double yToValue(double y) const {
        return low + (plot.bottom() - y) / plot.height() * (high - low);
    }
};

// The x axis value of series position `sample`: its number counted from 1 since the stream began,
// or the seconds elapsed since the first sample when an interval is given.
double axisValue(const SampleSeries &series, double sample, double interval);

// Draws the chart into the rectangle (0, 0, size) of `painter`, with its current font: the
// channels reduced to the plot's pixel columns, their gaps, the axes with their ticks, and a
// legend naming the channels; or kNoSamples in the middle when the series is empty.
Frame paint(QPainter &painter, QSize size, const SampleSeries &series, const Options &options);

// The chart on a white image of `size`, without any window: for saving and converting.
QImage render(const SampleSeries &series, QSize size, const Options &options = {});

// Writes the image as a PNG file at path, replacing it only once the whole image is written.
// False with a plain French reason in *error when it can't be.
bool savePng(const QImage &image, const QString &path, QString *error = nullptr);

} // namespace chart
