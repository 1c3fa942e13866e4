#pragma once

#include "data/channelsettings.h"
#include "data/facts.h"

#include <QLocale>
#include <QObject>
#include <QString>
#include <qcoro/qcorotask.h>

#include <functional>

class Desktop;
class Indicators;
class QWidget;
class ReceivePath;

// What the recordings actions work with. The window hands in its own.
struct RecordingParts {
    Desktop *desktop = nullptr;
    QString directory; // where recordings, the spreadsheet and temp.txt are
    QLocale locale;
    ReceivePath *receive = nullptr;
    Indicators *indicators = nullptr;
    QWidget *dialogParent = nullptr;   // the window, over which dialogs open
    std::function<bool()> tearingDown; // the window is going away: nobody would answer a dialog
};

// What the window does with recordings, without its widgets: "Ouvrir", "Conversion Fichier", the
// receive area handed to the desktop (double click on Text1), the latest chunk laid out as a dump
// (right press on Text2) or cleared (double click on Text2), and another place for a download
// that could not be written. Problems are said in message boxes or the status line; the window
// shows the opened file's caption and the conversion's progress from the signals.
class RecordingActions : public QObject {
    Q_OBJECT
public:
    explicit RecordingActions(RecordingParts parts, QObject *parent = nullptr);

    // "Ouvrir": asks for a recording, then opens it as open(path) does.
    QCoro::Task<> open();
    // Shows the recording at `path` in the receive area (and so in the chart), as a file given on
    // the command line or dropped on the window; what stands in the way is said in a message box.
    // True when it is shown.
    bool open(const QString &path);
    QCoro::Task<> convert();
    void handOver();
    void layOutLatestChunk();
    void clearLatestChunk();
    // "Exporter les mesures…": asks where, then writes the samples the chart shows (`lines`, as
    // recording lines, `rows` of them, the first one row `firstRow` of the whole) as measures
    // (time, calibrated values in their units) and says where they went and how many rows.
    // With a known `clock`, each row also gets its date and time.
    QCoro::Task<> exportMeasures(ChannelSettings channels, double interval, QByteArray lines,
                                 qint64 firstRow, qint64 rows, SampleClock clock = {});
    // Offers other places for a recording that could not be written; gives where it was saved,
    // or nothing when the user gave up.
    QCoro::Task<QString> saveElsewhere(QString path, QByteArray content, QString reason);

signals:
    // The name (and for an opened recording, date and size) of the file last opened or converted.
    void captionChanged(const QString &caption);
    // A recording was opened into the receive area: its file name.
    void recordingShown(const QString &name);
    // The same, with the path it was opened from, once the receive area shows it.
    void recordingOpened(const QString &path);
    // A conversion waits for its file (true) or has ended (false).
    void converting(bool waiting);

private:
    Desktop &m_desktop;
    QString m_directory;
    QString m_openedFrom; // the folder of the last recording "Ouvrir" opened
    QLocale m_locale;
    ReceivePath &m_receive;
    Indicators &m_indicators;
    QWidget *m_dialogParent;
    std::function<bool()> m_tearingDown;
};
