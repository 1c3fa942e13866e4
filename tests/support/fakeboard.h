#pragma once

#include "bytes.h"
#include "link/clock.h"
#include "link/dialogue.h"
#include "link/indicators.h"
#include "link/receivepath.h"
#include "link/transport.h"

#include <QByteArrayList>
#include <QCoreApplication>
#include <QStringList>

#include <optional>
#include <utility>

// A board on the end of a test's own wire. The test hands it bytes with deliver(), as if the board
// had sent them, and reads back every write() call separately, so that a command word and its
// trailer can be told apart. Like a real port, it sends and receives nothing while closed.
// `calls` keeps the order of the link operations ("open", "close", "dtr on", "dtr off", "read").
class FakeBoard final : public Transport {
public:
    using Transport::Transport;

    bool isOpen() const override { return m_open; }
    bool open() override {
        calls << "open";
        return m_open = true;
    }
    void close() override {
        calls << "close";
        m_open = false;
    }
    void setDataTerminalReady(bool on) override { calls << (on ? "dtr on" : "dtr off"); }
    void write(const QByteArray &bytes) override {
        if (m_open) writes << bytes;
    }
    QByteArray readAll() override {
        calls << "read";
        return m_open ? std::exchange(m_pending, {}) : QByteArray();
    }

    // The board sends `bytes`: they wait to be read, and the link hears of them.
    void deliver(const QByteArray &bytes) {
        m_pending += bytes;
        emit received();
    }

    QByteArrayList writes;
    QStringList calls;

private:
    bool m_open = false;
    QByteArray m_pending;
};

// Lets every queued event run, among them the resumption of a waiting board operation.
inline void settle() {
    for (int round = 0; round < 20; ++round)
        QCoreApplication::processEvents();
}

// The link as the window assembles it, on a fake board and a clock the test moves by hand.
struct BoardRig {
    FakeBoard board;
    ReceivePath receive{board};
    Indicators indicators;
    ManualClock clock;
    Dialogue dialogue{board, receive, indicators, clock};

    // The board sends `bytes` as one burst, and the receive tick takes them as one chunk at once
    // instead of 100 ms later.
    void chunk(const QByteArray &bytes) {
        board.deliver(bytes);
        receive.Timer2_Timer();
        settle();
    }
    void advance(Clock::Duration step) {
        clock.advance(step);
        settle();
    }
};

// Keeps the outcome of a board dialogue step, so a test can look at it while it is still running.
template <typename T> QCoro::Task<> keepOutcome(QCoro::Task<T> step, std::optional<T> *outcome) {
    *outcome = co_await std::move(step);
}
