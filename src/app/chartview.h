#pragma once

#include "chart/chartrender.h"

#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QWidget>

class SampleSeries;

// The plot of the chart pane. It shows a series that its owner changes, and tells it with
// seriesChanged(); it draws it with the chart painter, so the screen and an exported image look
// alike. The mouse zooms (the wheel around the cursor along the x axis, or a dragged rectangle),
// a double-click shows everything again, a click on a legend entry hides or shows its channel,
// and hovering marks the sample under the cursor and tells its time (or number) and its three
// values in their units.
//
// The chart is drawn once into an image kept until the series, the options or the size change;
// a paint copies it and draws the dragged rectangle and the hover mark over it, so moving the
// mouse costs no redrawing of the curves.
class ChartView : public QWidget {
    Q_OBJECT
public:
    // The series must outlive the view.
    explicit ChartView(const SampleSeries &series, QWidget *parent = nullptr);

    const SampleSeries &series() const { return m_series; }
    // The series changed: the chart is drawn again at the next paint.
    void seriesChanged();

    // Seconds between two samples; 0 counts samples on the x axis.
    void setInterval(double seconds);
    // When each sample was measured: the x axis in time of day, the date and time in the tip.
    void setClock(const SampleClock &clock);
    // The channels' names, units and calibrations: the curves, axes, legend and hover follow them.
    void setChannels(const ChannelSettings &channels);
    const chart::Options &options() const { return m_options; }
    bool isChannelHidden(int channel) const { return m_options.hidden[channel]; }
    void setChannelHidden(int channel, bool hidden);
    bool isZoomed() const { return m_options.last > m_options.first; }
    void resetZoom();
    // Shows the x range [first, last] of series positions (and the value ranges of the scales
    // that are fixed).
    void zoomTo(double first, double last,
                const std::array<chart::ValueRange, chart::kScales> &values = {});

    // The chart as shown now, on an image of `size`.
    QImage image(QSize size) const { return chart::render(m_series, size, m_options); }

    // Where the chart shown was drawn: the plot and the legend, in widget coordinates.
    const chart::Frame &frame() const { return m_frame; }

signals:
    // The samples, the range shown, the channels shown or their settings changed: what is said of
    // the visible samples is to be said again.
    void shownChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    // Drops the drawn chart and asks for a paint.
    void redraw();
    void setBand(const QRect &band);
    // Marks the sample nearest to the cursor at `x` in widget coordinates (-1: none).
    void setHovered(int x);
    // The strip of the hover mark, empty when there is none to draw.
    QRect hoverStrip() const;
    void showValues(const QPoint &position, const QPoint &global);

    const SampleSeries &m_series;
    chart::Options m_options;
    chart::Frame m_frame;
    QPixmap m_chart; // the chart without band or hover mark; null when it is to be drawn again
    bool m_dragging = false;
    QPoint m_dragStart;
    QRect m_band;       // the rectangle being dragged, empty when none
    int m_hovered = -1; // the cursor's x while it is over the plot, -1 when not
};
