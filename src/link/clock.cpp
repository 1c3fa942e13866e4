#include "link/clock.h"

using namespace std::chrono;

SteadyClock::SteadyClock(QObject *parent) : Clock(parent) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Clock::alarm);
}

Clock::Duration SteadyClock::now() const {
    return duration_cast<Duration>(steady_clock::now().time_since_epoch());
}

void SteadyClock::setAlarm(Duration deadline) {
    // Round up so that the alarm never rings before the deadline.
    const auto remaining = ceil<milliseconds>(std::max(deadline - now(), Duration::zero()));
    m_timer.start(remaining);
}

void ManualClock::setAlarm(Duration deadline) {
    m_deadline = deadline;
    m_armed = true;
    if (m_now >= m_deadline) {
        // Ring from the event loop, as a real timer would, never inside the caller.
        QTimer::singleShot(0, this, [this] { advance(Duration::zero()); });
    }
}

void ManualClock::advance(Duration step) {
    m_now += step;
    if (m_armed && m_now >= m_deadline) {
        m_armed = false;
        emit alarm();
    }
}
