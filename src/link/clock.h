#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>

// Monotonic time for the board dialogue's time-outs and pauses. The program uses SteadyClock;
// tests use ManualClock and move time forward themselves, so that a 20 s time-out takes a
// millisecond to test. A monotonic clock never jumps back at midnight or when the user changes
// the system time.
class Clock : public QObject {
    Q_OBJECT
public:
    using Duration = std::chrono::nanoseconds;

    using QObject::QObject;

    virtual Duration now() const = 0;
    // Emits alarm() once the clock has reached `deadline`. A new call replaces the previous alarm.
    virtual void setAlarm(Duration deadline) = 0;
    virtual void cancelAlarm() = 0;

signals:
    void alarm();
};

class SteadyClock final : public Clock {
    Q_OBJECT
public:
    explicit SteadyClock(QObject *parent = nullptr);

    Duration now() const override;
    void setAlarm(Duration deadline) override;
    void cancelAlarm() override { m_timer.stop(); }

private:
    QTimer m_timer;
};

class ManualClock final : public Clock {
    Q_OBJECT
public:
    using Clock::Clock;

    Duration now() const override { return m_now; }
    void setAlarm(Duration deadline) override;
    void cancelAlarm() override { m_armed = false; }

    // Moves time forward and rings the alarm when its deadline has been reached.
    void advance(Duration step);

private:
    Duration m_now{std::chrono::hours(1)};
    Duration m_deadline{};
    bool m_armed = false;
};
