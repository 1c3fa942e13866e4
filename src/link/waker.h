#pragma once

#include <QObject>
#include <QTimer>

#include <coroutine>
#include <utility>

// Where a waiting board operation sleeps between two passes. Anything that may change the outcome
// of a wait (a new chunk, the abort flag, the clock's alarm) calls wake(); the sleeping coroutine
// then resumes from the event loop, never inside the handler that woke it, so every pending event
// has run first. Only one operation waits at a time.
class Waker : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    struct Awaiter {
        Waker &waker;
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> handle) noexcept {
            waker.m_waiting = handle;
            if (waker.m_wakePending) waker.schedule();
        }
        void await_resume() const noexcept {}
    };

    // Suspends the caller until the next wake().
    Awaiter sleep() { return Awaiter{*this}; }

    // Resumes the sleeping coroutine once the current event is handled. A wake() while nothing
    // sleeps is kept for the next sleep() only if `keep` is true.
    void wake(bool keep = false) {
        if (m_waiting)
            schedule();
        else if (keep)
            m_wakePending = true;
    }

    // Resumes the sleeping coroutine now, inside this call.
    void resumeNow() {
        m_wakePending = false;
        if (auto handle = std::exchange(m_waiting, nullptr)) handle.resume();
    }

private:
    void schedule() {
        m_wakePending = false;
        if (m_scheduled) return;
        m_scheduled = true;
        QTimer::singleShot(0, this, [this] {
            m_scheduled = false;
            if (auto handle = std::exchange(m_waiting, nullptr)) handle.resume();
        });
    }

    std::coroutine_handle<> m_waiting;
    bool m_scheduled = false;
    bool m_wakePending = false;
};
