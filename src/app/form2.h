#pragma once

#include "link/dialogue.h"
#include "link/indicators.h"
#include "link/receivepath.h"

#include <QDate>
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
    QLocale locale = QLocale::system();
    // What the port entries stand for, shown in the port list; none: the entries show their names.
    PortMap *ports = nullptr;
};

// The program's one window, "Ondrelle  Volterne". It owns the widgets, named as the design names
// them, and turns their events into calls of the handlers below; the logic lives in the receive
// path, the board dialogue, the board operations and the data functions.
class Form2 : public QWidget {
    Q_OBJECT
public:
    explicit Form2(Form2Parts parts, QWidget *parent = nullptr);
    ~Form2() override;

    ReceivePath &receive() { return m_receive; }
    Dialogue &dialogue() { return m_dialogue; }
    Indicators &indicators() { return m_indicators; }
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

    // Status display.
    void Timer1_Timer();
    void Label7_Click();
    void Label16_Click();

    QString settingsPath() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Closing while an operation runs first ends it (a download saves what it collected), then
    // closes.
    void closeEvent(QCloseEvent *event) override;

private:
    // How the program ends once the running operation has ended.
    enum class Ending { None, Close, Quit };
    void endAfterOperation(Ending ending);
    void onOperationEnded();
    QCoro::Task<> quit();
    // False, with the reason in the status line, while another operation runs.
    bool canStartOperation();
    // The port list and the period list have editable text: typed text that names an entry
    // selects it; other text is put back to the selected entry when editing ends.
    void followTypedText(QComboBox *list);
    void settleTypedText(QComboBox *list);
    void onPortLost();
    // Reads the ports again and shows what each entry of the port list stands for.
    void describePorts();
    // The selected entry stands from now on for the device the port map gives it now.
    void takePortAsShown();
    // Keyboard ways to what a right press does: the context-menu key or Shift+F10 on a focused
    // operation button or "Connexion", Escape for the running operation (or the live display).
    bool rightPressByKey(QObject *watched, QKeyEvent *event);
    static bool isWindowShortcut(const QKeyEvent *event);
    // False when `target` has no right-press action.
    bool rightPress(QObject *target);
    void stopByKey();
    void buildWidgets();
    void wireEvents();
    void showIndicators();
    void operationMouseDown(QPushButton *button, Qt::MouseButton button_);
    void setBackColour(QWidget *widget, quint32 colour);
    void showLinkProblem(const QString &message);
    QCoro::Task<> openRecording();
    QCoro::Task<> convertRecording();
    // Offers other places for a recording that could not be written; gives where it was saved,
    // or nothing when the user gave up.
    QCoro::Task<QString> saveElsewhere(QString path, QByteArray content, QString reason);

    Form2Parts m_parts;
    ReceivePath m_receive;
    Indicators m_indicators;
    Dialogue m_dialogue;
    QTimer m_timer1;
    Ending m_ending = Ending::None;
    // The button of the running operation (none for the EEPROM read-out).
    QPushButton *m_runningButton = nullptr;
    bool m_tearingDown = false;

public:
    // The window's elements, by their design names (also their objectName).
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
    QTimer *Timer1 = &m_timer1;
};
