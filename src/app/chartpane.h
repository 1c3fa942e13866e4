#pragma once

#include "chart/chartrender.h"
#include "chart/sampleseries.h"
#include "data/channelsettings.h"
#include "data/facts.h"

#include <QByteArray>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <qcoro/qcorotask.h>

#include <array>
#include <chrono>

class ChartView;
class Desktop;
class QLabel;
class QCheckBox;
class QSpinBox;
class QLineEdit;
class QPushButton;

// The chart pane, "Graphique": the plot of the three channels of the text the window shows, in
// their units; under it the minimum, maximum and mean of each visible channel over the visible
// samples (and how many lie outside its limits, when a visible channel has some); the field
// "Intervalle (s)" (the board's sampling interval, which turns the x axis into elapsed time), the
// button "Voies…" (Alt+V: the channels' names, units and calibrations) and the button "Exporter
// l'image…". The window tells it what its text holds; the pane knows nothing of the window. The
// pane keeps the samples; its view shows them and is told when they change.
class ChartPane : public QWidget {
    Q_OBJECT
public:
    // While data arrives the chart is repainted at most this often: the board sends a sample
    // every half second at the fastest, and a redraw every receive tick would cost a live
    // reading about 1 % of a core instead of a third of that.
    static constexpr std::chrono::milliseconds kRedrawPause{500};
    static constexpr int kDefaultLiveCapacity = 600;

    // `directory` is where the export proposes to save and where param.ini is: the channels'
    // settings are read from it now and saved into it when "Voies…" changes them.
    explicit ChartPane(Desktop *desktop, QString directory, QWidget *parent = nullptr);
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

    const ChannelSettings &channels() const { return m_channels; }
    // The interval and channels the settings keep for what comes next: those shown, unless a
    // recording with facts of its own is shown.
    double settingsInterval() const { return m_settingsInterval; }
    const ChannelSettings &settingsChannels() const { return m_settingsChannels; }

    // The text shown is the recording at `recordingPath` (opened, or just downloaded), with its
    // facts when it has a facts file: the chart then draws with the recording's interval and
    // channels ("Voies et intervalle de l'enregistrement"), the field "Début" shows its start,
    // and a change of the interval, of "Voies…" or of "Début" goes into its facts file as well
    // (a correction of "Début" gives a recording without one its facts file).
    void setRecording(const QString &recordingPath, const std::optional<RecordingFacts> &facts);
    // The text shown is no recording of a file any more: the settings' interval and channels.
    void clearRecording();
    // The facts of the recording shown, or nothing.
    const std::optional<RecordingFacts> &recordingFacts() const { return m_facts; }
    // When each sample shown was measured: the recording's clock; unknown otherwise.
    SampleClock clock() const;
    QLineEdit *startField() const { return m_startField; }
    // A sentence shown over the chart until the next text (none: nothing): an excursion out of a
    // channel's limits.
    void sayOnChart(const QString &sentence);
    QLabel *chartNote() const { return m_chartNote; }
    // Draws the channels with these settings, without saving them.
    void setChannels(const ChannelSettings &channels);
    // The name of the recording shown (empty: none), the exported image's title.
    void setTitle(const QString &title) { m_title = title; }
    QString title() const { return m_title; }
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
    QPushButton *exportMeasuresButton() const { return m_exportMeasures; }
    QPushButton *reportButton() const { return m_report; }
    QPushButton *channelsButton() const { return m_channelsButton; }
    // The samples the chart shows (after a zoom those in view; during and after a real-time
    // reading those of its rolling window), as recording lines, and the number of the first in
    // the whole recording or stream, from 0.
    struct ShownSamples {
        QByteArray lines;
        qint64 first = 0;
        qint64 count = 0;
    };
    ShownSamples shownSamples() const;
    // The statistics table as shown, a line for each visible channel: its title, minimum, maximum
    // and mean, and its time outside limits when that column shows, separated by tabulations.
    QString statisticsText() const;
    QSpinBox *switchBox() const { return m_switch; }
    QCheckBox *keepLiveBox() const { return m_keepLive; }

    // Opens "Voies…"; once it is accepted, draws the channels with its settings and saves them
    // into param.ini, a failure to save told to the user with its reason.
    void editChannels();

    // Asks where to save the chart as shown, with the title above it and the statistics below,
    // and writes it as a PNG; a failure is told to the user with its reason. True when the image
    // was written.
    QCoro::Task<bool> exportImage();
    // "Rapport PDF…": asks where, then writes the one-page report of the recording shown over the
    // range shown; a failure is told to the user with its reason. True when it was written.
    QCoro::Task<bool> exportReport();

signals:
    // The user typed another valid interval (0: none).
    void intervalChanged(double seconds);
    // A sentence for the window's status line: where an image went, a refused interval.
    void said(const QString &sentence);
    // "Exporter les mesures…": the window writes them from the samples it shows.
    void measuresExportRequested();

private:
    void buildStatistics();
    void buildControls();
    void intervalEdited(const QString &text);
    // Text that is no interval is refused when editing ends: it is said, and the interval in use
    // is shown again.
    void settleInterval();
    // Shows `seconds` in the field and on the chart, without changing the settings' interval.
    void showInterval(double seconds);
    // "Début" typed: the recording's start, corrected; refused text is said and undone.
    void settleStart();
    // Writes the recording's facts file; a failure is said.
    void saveFacts();
    void showRecordingControls();
    void redrawSoon();
    void showStatistics();
    QString settingsPath() const;

    Desktop *m_desktop;
    QString m_directory;
    SampleSeries m_series;
    ChannelSettings m_channels;
    QString m_title;
    ChartView *m_view = nullptr;
    QWidget *m_statistics = nullptr;
    // For each channel its swatch, then its cells.
    std::array<std::array<QLabel *, chart::kStatisticsColumns + 1>, kChannels> m_statisticsRows{};
    // "Hors limites" shows only when a visible channel has limits (chart::showsOutside).
    QLabel *m_outsideHeader = nullptr;
    bool m_showsOutside = false;
    QLineEdit *m_intervalField = nullptr;
    QPushButton *m_channelsButton = nullptr;
    QPushButton *m_export = nullptr;
    QPushButton *m_exportMeasures = nullptr;
    QPushButton *m_report = nullptr;
    QSpinBox *m_switch = nullptr;
    QCheckBox *m_keepLive = nullptr;
    QTimer m_redraw;
    double m_interval = 0;
    double m_settingsInterval = 0;
    ChannelSettings m_settingsChannels;
    QString m_recordingPath; // empty: the text is no recording of a file
    std::optional<RecordingFacts> m_facts;
    QLabel *m_recordingNote = nullptr;
    QLabel *m_chartNote = nullptr;
    QLabel *m_startLabel = nullptr;
    QLineEdit *m_startField = nullptr;
    int m_liveCapacity = kDefaultLiveCapacity;
    bool m_live = false;
};
