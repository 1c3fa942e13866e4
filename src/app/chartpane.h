#pragma once

#include "chart/sampleseries.h"

#include <QByteArray>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <qcoro/qcorotask.h>

#include <chrono>

class ChartView;
class Desktop;
class QCheckBox;
class QSpinBox;
class QLineEdit;
class QPushButton;

// The chart pane, "Graphique": the plot of the three channels of the text the window shows, the
// field "Intervalle (s)" (the board's sampling interval, which turns the x axis into elapsed
// time) and the button "Exporter l'image…". The window tells it what its text holds; the pane
// knows nothing of the window. The pane keeps the samples; its view shows them and is told when
// they change.
class ChartPane : public QWidget {
    Q_OBJECT
public:
    // While data arrives the chart is repainted at most this often: the board sends a sample
    // every half second at the fastest, and a redraw every receive tick would cost a live
    // reading about 1 % of a core instead of a third of that.
    static constexpr std::chrono::milliseconds kRedrawPause{500};
    static constexpr int kDefaultLiveCapacity = 600;

    // `imageDirectory` is where the export proposes to save.
    explicit ChartPane(Desktop *desktop, QString imageDirectory, QWidget *parent = nullptr);
    ~ChartPane() override;

    // The whole text changed, as after opening a recording or at the start of an operation:
    // shows its samples, zoomed out.
    void showText(const QByteArray &text);
    // The next chunk of a text that grows, as during a download.
    void appendChunk(const QByteArray &chunk);
    // The next chunk of a live reading: the chart keeps the last liveCapacity() samples of the
    // stream. The first live chunk after showText() or appendChunk() starts a new stream.
    void liveChunk(const QByteArray &chunk);
    void setLiveCapacity(int samples);
    int liveCapacity() const { return m_liveCapacity; }

    // Seconds between two samples; 0 when the field is empty (the x axis counts samples).
    double interval() const { return m_interval; }
    // Shows `seconds` in the field (0: empty) without emitting intervalChanged().
    void setInterval(double seconds);

    // Shows `seconds` as interval(), with `origin` as the field's tip until the user types
    // another value.
    void setProgrammedInterval(double seconds, const QString &origin);
    // "Commutateur S": the board's switch, 1 to 7, which the program cannot read from the board.
    int boardSwitch() const;
    void setBoardSwitch(int boardSwitch);
    // "Enregistrer la lecture": whether real-time reading is kept in a file.
    bool keepsLive() const;

    const SampleSeries &series() const { return m_series; }
    ChartView *view() const { return m_view; }
    QLineEdit *intervalField() const { return m_intervalField; }
    QPushButton *exportButton() const { return m_export; }
    QSpinBox *switchBox() const { return m_switch; }
    QCheckBox *keepLiveBox() const { return m_keepLive; }

    // Asks where to save the chart as shown and writes it as a PNG; a failure is told to the
    // user with its reason. True when the image was written.
    QCoro::Task<bool> exportImage();

signals:
    // The user typed another valid interval (0: none).
    void intervalChanged(double seconds);
    // A sentence for the window's status line: where an image went, a refused interval.
    void said(const QString &sentence);

private:
    void intervalEdited(const QString &text);
    // Text that is no interval is refused when editing ends: it is said, and the interval in use
    // is shown again.
    void settleInterval();
    void redrawSoon();

    Desktop *m_desktop;
    QString m_imageDirectory;
    SampleSeries m_series;
    ChartView *m_view = nullptr;
    QLineEdit *m_intervalField = nullptr;
    QPushButton *m_export = nullptr;
    QSpinBox *m_switch = nullptr;
    QCheckBox *m_keepLive = nullptr;
    QTimer m_redraw;
    double m_interval = 0;
    int m_liveCapacity = kDefaultLiveCapacity;
    bool m_live = false;
};
