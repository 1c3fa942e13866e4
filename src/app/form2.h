#pragma once

#include "app/recordingactions.h"
#include "board/session.h"
#include "data/facts.h"
#include "data/limitwatch.h"
#include "data/livekeeper.h"
#include "link/dialogue.h"
#include "link/indicators.h"
#include "link/receivepath.h"

#include <QCoreApplication>
#include <QDate>
#include <QHash>
#include <QLocale>
#include <QTimer>
#include <QWidget>

#include <functional>

class ByteView;
class ChartPane;
class Clock;
class Desktop;
class QCheckBox;
class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class PortList;
class PortMap;
class SerialTransport;

// The parts of the outside world the window works with. main() hands in the real ones; tests
// hand in a pseudo-terminal port, a manual clock, a stand-in desktop and a temporary directory.
struct Form2Parts {
    SerialTransport *port = nullptr;
    Clock *clock = nullptr;
    Desktop *desktop = nullptr;
    QString programDirectory;
    std::function<QDate()> today = [] { return QDate::currentDate(); };
    // The moment that names a kept real-time reading.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    QLocale locale = QLocale::system();
    // What the port entries stand for, shown in the port list; none: the entries show their names.
    PortMap *ports = nullptr;
    // Asks the program to end, once "Quitter" has saved everything.
    std::function<void()> exitProgram = [] { QCoreApplication::exit(0); };
};

// The program's one window, "Ondrelle  Volterne". It owns the widgets, each known by its element
// name (its objectName, and the member's name here), and turns their events into calls of the
// handlers below, which keep the element's name. The logic lives elsewhere: the receive path and
// the board dialogue (link), the operations and the session that runs them (board), the
// recordings actions, and the data functions.
class Form2 : public QWidget {
    Q_OBJECT
public:
    explicit Form2(Form2Parts parts, QWidget *parent = nullptr);
    ~Form2() override;

    ReceivePath &receive() { return m_receive; }
    Dialogue &dialogue() { return m_dialogue; }
    Indicators &indicators() { return m_indicators; }
    // Where real-time reading is kept while "Enregistrer la lecture" is ticked.
    const LiveKeeper &liveKeeper() const { return m_liveKeeper; }
    // The acquisition period code last sent (or about to be sent) to the board.
    quint16 PeriodValue = 0;

    // Start-up and shut-down.
    void Form_Load();
    void Command6_Click();

    // Port, link and receive area.
    void Combo1_Click();
    void Command10_MouseDown(Qt::MouseButton button);
    void Text1_Change();
    void Text1_Click();

    // Period choice.
    void Check1_Click();
    void libre_Change();

    // Board operations.
    void Command1_MouseDown(Qt::MouseButton button);
    void Command1_Click();
    void Command3_MouseDown(Qt::MouseButton button);
    void Command3_Click();
    void Command8_MouseDown(Qt::MouseButton button);
    void Command8_Click();
    void lecture_badge_MouseDown(Qt::MouseButton button);
    void lecture_badge_Click();
    void gache_MouseDown(Qt::MouseButton button);

    // Recordings.
    void Command4_Click();
    void Command2_Click();
    void Text1_DblClick();
    void Text2_MouseDown(Qt::MouseButton button);
    void Text2_DblClick();
    // A recording given on the command line or dropped on the window, opened as "Ouvrir" does.
    void openRecording(const QString &path);

    // Status display.
    void Timer1_Timer();
    void Label7_Click();
    void Label16_Click();

    QString settingsPath() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Closing while an operation runs first ends it (a download saves what it collected), then
    // closes. Closing saves what "Quitter" saves, once: closed by its close button, the window
    // stays until the user has read why the settings could not be saved; closed otherwise (the
    // desktop's session ends), it says so without waiting for the user.
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // What a press on a watched element does: its press handler (any button), its click (left
    // release), its double click; and whether keys act as its presses.
    struct Presses {
        std::function<void(Qt::MouseButton)> press;
        std::function<void()> click;
        std::function<void()> doubleClick;
        bool pressByKey = false;
    };

    void buildWidgets();
    void buildSettingsGroup();
    void buildReceiveAreas();
    void buildCommandsGroup();
    void buildStatusGroup();
    void layOut();
    void wireEvents();
    void wireReceivePath();
    void wireLists();
    void wirePresses();
    void wireShortcuts();

    // On a focused button with presses, Space acts as its left press, the context-menu key or
    // Shift+F10 as its right press.
    bool pressByKey(QObject *watched, QKeyEvent *event);
    static bool isWindowShortcut(const QKeyEvent *event);
    // Escape: the running operation's stop, or the live display's.
    void stopByKey();
    QPushButton *buttonOf(Session::Operation operation) const;
    void operationMouseDown(QPushButton *button, Session::Operation operation,
                            Qt::MouseButton pressed);
    void onSessionEnd(Session::Ending ending);
    // Sets the chart's interval from the period the board has just confirmed.
    void takeProgrammedInterval(quint16 periodValue);
    // The board on the port in use, as param.ini notes its times: its entry, device, serial
    // number, and the identity (serial number, else device, else entry) its keys are named by.
    struct BoardOnPort {
        QString port, device, serialNumber, identity;
    };
    BoardOnPort boardOnPort() const;
    // Notes in param.ini what `change` sets of the board on the port; a failure is said.
    void noteBoard(const std::function<void(BoardHistory &)> &change);
    // What a recording from the board on the port gets to know of it now: the board, its last
    // period sent, the switch, interval and channels set; that board's history into *history.
    RecordingFacts factsOfBoard(BoardHistory *history = nullptr) const;
    // Writes the facts file of a download just saved at `path`, and shows them on the chart.
    void writeDownloadFacts(const QString &path, qint64 samples);
    // An opened recording: the chart takes its facts; the file line and the status name its start
    // and end.
    void showRecordingFacts(const QString &path);
    // " - du 06/12/2026 10:00:00 au 06/12/2026 14:03:12" for the recording shown, or nothing.
    QString recordingSpan() const;
    // A chunk the board sent: kept while real-time reading runs with "Enregistrer la lecture"
    // ticked.
    void keepLiveChunk(const QByteArray &chunk);
    // Ends the kept file once real-time reading has stopped or the box was unticked.
    void settleLiveFile();
    // Real-time reading: what the chunk's samples say of the channels' limits, said in the status
    // line and on the chart.
    QStringList watchLimits(const QByteArray &chunk);
    QCoro::Task<> quit();
    // What "Quitter" and closing the window do before the end, whichever comes first: the port
    // closed, the kept real-time reading ended, the settings written to param.ini. False, with
    // the reason, when param.ini could not be written.
    bool saveAtEnd(QString *problem);
    static QString unsavedSettings(const QString &problem);
    // Closes the window once the user has closed the box that says why the settings were not
    // saved.
    QCoro::Task<> closeOnceSaid(QString problem);

    // Reads the ports again and shows what each entry of the port list stands for.
    void describePorts();
    // The selected entry stands from now on for the device the port map gives it now.
    void takePortAsShown();
    void onPortLost();
    void showLinkProblem(const QString &message);
    void showIndicators();
    void setBackColour(QWidget *widget, quint32 colour);

    Form2Parts m_parts;
    ReceivePath m_receive;
    Indicators m_indicators;
    Dialogue m_dialogue;
    RecordingActions m_recordings;
    LiveKeeper m_liveKeeper;
    QString m_spanSaid; // the status naming the span of the recording last opened
    LimitWatch m_limitWatch;
    bool m_watchingLimits = false;
    QTimer *m_timer1 = nullptr;
    QHash<const QObject *, Presses> m_presses;
    // The end's save is done (or was tried): "Quitter" closes the window without saving again.
    bool m_savedAtEnd = false;
    // The user asked to close the window (its close button), rather than the program or the
    // desktop.
    bool m_closedByUser = false;
    // The link status last said why the port could not be opened or was lost.
    QString m_linkFailure;

    // The window's elements, by their element names (also their objectName).
    QGroupBox *Frame3 = nullptr;
    QLineEdit *libre = nullptr;
    QCheckBox *Check1 = nullptr;
    QComboBox *Combo3 = nullptr;
    PortList *Combo1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *gache = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label4 = nullptr;
    ByteView *Text1 = nullptr;
    ByteView *Text2 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command8 = nullptr;
    QPushButton *Command10 = nullptr;
    QPushButton *Command6 = nullptr;
    QPushButton *lecture_badge = nullptr;
    QPushButton *Command2 = nullptr;
    QLabel *Label16 = nullptr;
    QGroupBox *Frame4 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *defile = nullptr;
    QLabel *Label14 = nullptr;
    QLabel *nom_fichier = nullptr;
    // The chart of the samples in Text1.
    ChartPane *graphique = nullptr;

    // Last: ended first when the window goes, while everything it works with is still there.
    Session m_session{m_dialogue};
};
