#pragma once

// The chart's look, named once for the files that draw it: its colours, the ticks and their
// labels, the legend row and the statistics table, which share the channels' colour swatch.

#include <QColor>
#include <QRectF>

namespace chart::geometry {

const QColor kFrameColour(0x80, 0x80, 0x80); // the plot's frame, the ticks, the table's rule
const QColor kGridColour(0xE4, 0xE4, 0xE4);
const QColor kTextColour(0x20, 0x20, 0x20);
const QColor kHiddenColour(0xA0, 0xA0, 0xA0); // a hidden channel's legend entry

// The axes: each tick's length outside the plot, the gap between a tick and its label, and the
// room on either side of the value labels beyond that gap.
inline constexpr double kTickLength = 4;
inline constexpr double kLabelGap = 2;
inline constexpr double kLabelsMargin = 6;
// A value axis in a unit has that unit as its title, turned along the axis, a text line beyond
// its labels and kAxisTitleMargin from the chart's edge.
inline constexpr double kAxisTitleMargin = 2;

// A sample that stands alone between gaps, or a series' only one, drawn on a sparse plot: a dot
// this wide, which a curve's width would leave unseen.
inline constexpr double kLoneSampleSize = 6;

// A channel's colour swatch, in the legend and in the statistics table: a rectangle centred
// vertically on its row, its name kSwatchGap further on.
inline constexpr double kSwatchWidth = 16;
inline constexpr double kSwatchHeight = 10;
inline constexpr double kSwatchGap = 6;
inline constexpr double kSwatchColumn = kSwatchWidth + kSwatchGap; // swatch and gap before a name

inline QRectF swatch(double left, double rowTop, double rowHeight) {
    return QRectF(left, rowTop + (rowHeight - kSwatchHeight) / 2, kSwatchWidth, kSwatchHeight);
}

// The legend: one row of text lines kLegendTop from the chart's top, as far from the plot below
// it; an entry's clickable place reaches kLegendReach beyond its text above and below, and
// kLegendSpacing parts two entries.
inline constexpr double kLegendTop = 5;
inline constexpr double kLegendReach = 2;
inline constexpr double kLegendSpacing = 16;

// The exported image: its rows are a text line and kRowPadding high; the title row is kTitleGap
// above the chart, the table kTableMargin below it and above the image's bottom, and each of its
// columns kCellPadding wider than its widest text.
inline constexpr int kRowPadding = 4;
inline constexpr int kTitleGap = 4;
inline constexpr int kTableMargin = 4;
inline constexpr double kCellPadding = 24;

} // namespace chart::geometry
