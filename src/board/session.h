#pragma once

#include <QObject>

#include <functional>

class Dialogue;

// Which board operation is under way, how the user stops it, and how the program ends while one
// runs, without any widget. One operation at a time: start() refuses a second one. Closing or
// quitting while one runs first ends it as a stop does (its waits return at once; a download saves
// what it collected), and endNow() follows once it has unwound.
//
// The state changes in one place, setRunning(), which emits runningChanged().
class Session : public QObject {
    Q_OBJECT
public:
    enum class Operation { None, Reset, Download, Period, Live, Eeprom };
    enum class Ending { None, Close, Quit };

    explicit Session(Dialogue &dialogue, QObject *parent = nullptr);
    // An operation still waiting is run through to its end, so that nothing of it stays suspended
    // once the session is gone.
    ~Session() override;

    Operation running() const { return m_running; }
    // Runs `launch`, which starts `operation` (or decides not to), unless an operation is under
    // way: the status line then says "Une opération est déjà en cours".
    void start(Operation operation, const std::function<void()> &launch);
    // What a stop (a right press on any operation button) does to the link: the waits end, and
    // a download stops collecting, real-time reading stops replacing the receive area.
    void stop(Operation operation);
    // What Escape stops: the running operation, else the real-time display, else nothing.
    Operation stoppable() const;

    // The program ends with `ending`: at once (true) when nothing runs, else once the running
    // operation has ended (endNow()); a quit wins over a close.
    bool endAfterOperation(Ending ending);
    bool tearingDown() const { return m_tearingDown; }

signals:
    void runningChanged(Session::Operation running);
    // The running operation has ended and the program's end may go on.
    void endNow(Session::Ending ending);

private:
    void setRunning(Operation running);
    void onIdle();

    Dialogue &m_dialogue;
    Operation m_running = Operation::None;
    Ending m_ending = Ending::None;
    bool m_tearingDown = false;
};
