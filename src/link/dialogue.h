#pragma once

#include "link/clock.h"
#include "link/waker.h"

#include <QByteArray>
#include <QObject>
#include <qcoro/qcorotask.h>

#include <chrono>
#include <functional>

class Indicators;
class ReceivePath;
class Transport;

// The steps every board operation is made of: prepare the link and the display, wait for the
// board's banner, wait for the board to name the operation, send the command, follow the replies.
// Each wait is a loop of passes whose order is fixed (test, yield, time-out, progress step, abort
// test); a pass sleeps until something that may change its outcome happens, so waiting costs no
// processor time. A right press on an operation button sets AbortFlag: the running wait ends and
// every later wait of the operation makes a single pass.
class Dialogue : public QObject {
    Q_OBJECT
public:
    using Duration = Clock::Duration;
    static constexpr std::chrono::milliseconds kProgressPause{251};

    // How a wait ended: the awaited text came, a stop (AbortFlag), the time-out, or the port was
    // lost while waiting (the wait then ends at once, as after a stop).
    enum class WaitEnd { Seen, Aborted, TimedOut, PortLost };
    // Which receive flags an operation clears when it starts.
    enum class ClearFlags { None, Replace, Both };

    Dialogue(Transport &transport, ReceivePath &receive, Indicators &indicators, Clock &clock,
             QObject *parent = nullptr);

    Transport &transport() { return m_transport; }
    ReceivePath &receive() { return m_receive; }
    Indicators &indicators() { return m_indicators; }
    Clock &clock() { return m_clock; }

    bool abortFlag() const { return m_abortFlag; }
    void setAbortFlag(bool value);

    // Time at which the running operation started its progress wait; the progress step shows the
    // time elapsed since then.
    Duration OperationStartTime{};
    void markOperationStart() { OperationStartTime = m_clock.now(); }

    // One board operation at a time: an operation holds a Run while it is under way; idle() is
    // emitted when it ends.
    class Run {
    public:
        explicit Run(Dialogue &dialogue) : m_dialogue(dialogue) { m_dialogue.m_busy = true; }
        ~Run() {
            m_dialogue.m_busy = false;
            m_dialogue.m_finishing = false;
            emit m_dialogue.idle();
        }
        Run(const Run &) = delete;
        Run &operator=(const Run &) = delete;

    private:
        Dialogue &m_dialogue;
    };
    bool busy() const { return m_busy; }

    // Ends the running operation as soon as possible, for the program's end: its waits and
    // progress pauses return at once, as after a stop, so it runs through to its end (a download
    // saves what it collected) without waiting for the board.
    void finish();
    bool finishing() const { return m_finishing; }
    // Resumes a sleeping operation at once, inside this call; used with finish() when the window
    // goes away, so that the operation's state is released rather than left suspended.
    void resumeNow() { m_waker.resumeNow(); }

    // Opens the port if needed, switches DTR off, clears AbortFlag (and the receive flags asked
    // for), empties both receive texts and shows "..." as link status and status line. False,
    // with nothing cleared and the reason in the status line, when the port cannot be opened:
    // the operation then ends at once instead of waiting for a board it cannot hear.
    bool PrepareOperation(ClearFlags flags);

    // The handshake before a command. Each returns true when the board gave its text. Otherwise
    // the operation must end there, having sent nothing: the status line says why (no answer in
    // time, a stop, the port lost), and the link status stays as it was.
    //
    // AwaitBanner waits (form A) for a chunk that is exactly the banner, then shows the link as
    // established and blinking. When it times out after bytes did arrive, the status line says
    // that the board is still sending rather than silent. AwaitName waits (form A) for the board
    // to name the operation. While either waits, the status line says so and counts the seconds
    // against its time-out ("Attente de la platine… 7 s / 20 s").
    QCoro::Task<bool> AwaitBanner(Duration timeout);
    QCoro::Task<bool> AwaitName(QByteArray name, int compareLength, Duration timeout);

    // Shows in the status line that the board did not answer in time.
    void sayNoAnswer();

    // Form A: `LatestChunk` starts with `expected` (compared over `compareLength` characters).
    // With `showWaiting`, the status line counts the whole seconds waited against the time-out,
    // anew each second, and is given back as it was once the text has come.
    QCoro::Task<WaitEnd> WaitForReply(QByteArray expected, int compareLength, Duration timeout,
                                      bool showWaiting = false);
    // Form B: the same test, a progress step per pass, no time-out.
    QCoro::Task<WaitEnd> WaitWithProgress(QByteArray expected, int compareLength);
    // Form C: `endText` anywhere in the newest chunk (or straddling it and the chunks before),
    // a progress step per pass, no time-out. After the end text is seen, the wait still yields and
    // runs one progress step, so chunks that arrive meanwhile are collected too.
    //
    // A progress step lasts a quarter of a second, long enough for the board's reply to be
    // followed by its next announcement before the following test; so forms B and C test every
    // chunk as it arrives, and a pass's test holds when the reply came in any chunk since the
    // previous test.
    QCoro::Task<WaitEnd> CollectUntil(QByteArray endText);

    // Empties Text2, writes the command word, then the trailer as a second write.
    void SendCommand(const QByteArray &word, const QByteArray &trailer);

    // The progress step: a pause of at least kProgressPause during which the window keeps running,
    // then the spinner turns and the elapsed time is shown.
    QCoro::Task<> anime_();

    // The first `length` characters of `chunk` (all of it when shorter) equal `expected`.
    static bool startsWith(const QByteArray &chunk, const QByteArray &expected, int length);

signals:
    // The running operation has ended.
    void idle();
    // The running operation has emptied both receive texts (PrepareOperation).
    void prepared();

private:
    void onPortLost();
    // Shows in the status line why a handshake wait ended without its text; nothing was sent.
    void sayWhyNothingWasSent(WaitEnd end);
    // One yield of a pass: returns after an event that may change the wait's outcome, at
    // `deadline` at the latest (a deadline already past lets pending events run and goes on),
    // and at once while AbortFlag is set (when `abortEndsSleep`).
    QCoro::Task<> yield(Duration deadline, bool abortEndsSleep = true);
    void onLatestChunk();
    // Tests `watch` on LatestChunk now and on every chunk until the next takeWatchHit().
    void watchChunks(std::function<bool(const QByteArray &chunk)> watch);
    bool takeWatchHit();

    Transport &m_transport;
    ReceivePath &m_receive;
    Indicators &m_indicators;
    Clock &m_clock;
    Waker m_waker;
    bool m_abortFlag = false;
    bool m_busy = false;
    bool m_finishing = false;
    // The port was lost during the running wait; reset when the next operation prepares.
    bool m_portLost = false;
    std::function<bool(const QByteArray &)> m_watch;
    bool m_watchHit = false;
    // Bytes received since the banner wait began.
    qsizetype m_receivedInWait = 0;
    // The last bytes received before the newest chunk, and up to it, so that an end text split
    // across chunks is found.
    QByteArray m_previousTail;
    QByteArray m_lastTail;
};
