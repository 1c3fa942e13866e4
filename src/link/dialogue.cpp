#include "link/dialogue.h"

#include "app/colours.h"
#include "app/timetext.h"
#include "link/indicators.h"
#include "link/protocol.h"
#include "link/receivepath.h"
#include "link/transport.h"

#include <QScopeGuard>

namespace {
// Longest end text searched for across two chunks.
constexpr qsizetype kTailLength = 16;
} // namespace

Dialogue::Dialogue(Transport &transport, ReceivePath &receive, Indicators &indicators, Clock &clock,
                   QObject *parent)
    : QObject(parent), m_transport(transport), m_receive(receive), m_indicators(indicators),
      m_clock(clock) {
    connect(&m_receive, &ReceivePath::latestChunkChanged, this, &Dialogue::onLatestChunk);
    connect(&m_clock, &Clock::alarm, &m_waker, [this] { m_waker.wake(); });
}

void Dialogue::setAbortFlag(qint16 value) {
    m_abortFlag = value;
    if (value == 1) m_waker.wake();
}

void Dialogue::onLatestChunk() {
    const QByteArray &chunk = m_receive.latestChunk();
    if (!chunk.isEmpty()) {
        m_previousTail = m_lastTail;
        m_lastTail = (m_lastTail + chunk).right(kTailLength);
        if (m_watch && m_watch(chunk)) m_watchHit = true;
    }
    m_waker.wake();
}

void Dialogue::watchChunks(std::function<bool(const QByteArray &)> watch) {
    m_watch = std::move(watch);
    m_watchHit = false;
}

bool Dialogue::takeWatchHit() {
    const bool hit = m_watchHit || m_watch(m_receive.latestChunk());
    m_watchHit = false;
    return hit;
}

void Dialogue::PrepareOperation(ClearFlags flags) {
    if (!m_transport.isOpen()) m_transport.open();
    m_transport.setDataTerminalReady(false);
    m_abortFlag = 0;
    if (flags != ClearFlags::None) m_receive.ReplaceFlag = 0;
    if (flags == ClearFlags::Both) m_receive.AppendFlag = 0;
    m_receive.setReceiveBuffer({});
    m_receive.setLatestChunk({});
    m_indicators.setLinkText(QStringLiteral("..."));
    m_indicators.setStatus(QStringLiteral("..."));
    m_indicators.setLinkVisible(true);
}

QCoro::Task<bool> Dialogue::AwaitBanner(Duration timeout) {
    const WaitEnd end = co_await WaitForReply(board::kBanner, kBannerCompareLength, timeout);
    if (end == WaitEnd::TimedOut) co_return false;
    m_indicators.setLink(QStringLiteral("Connexion établie avec la platine"), colours::kRed);
    m_indicators.timer3().start(); // the established link blinks
    m_receive.setLatestChunk({});
    co_return true;
}

bool Dialogue::startsWith(const QByteArray &chunk, const QByteArray &expected, int length) {
    return chunk.left(length) == expected.left(length);
}

QCoro::Task<> Dialogue::yield(Duration deadline, bool abortEndsSleep) {
    m_clock.setAlarm(deadline);
    if (abortEndsSleep && m_abortFlag == 1)
        m_waker.wake(true); // the flag test right after this yield ends the wait
    co_await m_waker.sleep();
    m_clock.cancelAlarm();
}

QCoro::Task<Dialogue::WaitEnd> Dialogue::WaitForReply(QByteArray expected, int compareLength,
                                                      Duration timeout) {
    const Duration start = m_clock.now();
    // The alarm rings just past the limit: the wait times out only when the clock is beyond it.
    const Duration limit = start + timeout + Duration(1);
    for (;;) {
        if (startsWith(m_receive.latestChunk(), expected, compareLength)) co_return WaitEnd::Seen;
        co_await yield(limit);
        if (m_clock.now() - start > timeout) co_return WaitEnd::TimedOut;
        if (m_abortFlag == 1) co_return WaitEnd::Aborted;
    }
}

QCoro::Task<Dialogue::WaitEnd> Dialogue::WaitWithProgress(QByteArray expected, int compareLength) {
    watchChunks([expected, compareLength](const QByteArray &chunk) {
        return startsWith(chunk, expected, compareLength);
    });
    const auto done = qScopeGuard([this] { m_watch = nullptr; });
    for (;;) {
        if (takeWatchHit()) co_return WaitEnd::Seen;
        co_await yield(m_clock.now()); // let pending events run, then go on
        co_await anime_();
        if (m_abortFlag == 1) co_return WaitEnd::Aborted;
    }
}

QCoro::Task<Dialogue::WaitEnd> Dialogue::CollectUntil(QByteArray endText) {
    m_previousTail.clear();
    m_lastTail.clear();
    // The end text may straddle the newest chunk and the one before it.
    watchChunks([this, endText](const QByteArray &chunk) {
        return !chunk.isEmpty() &&
               (m_previousTail.right(endText.size() - 1) + chunk).contains(endText);
    });
    const auto done = qScopeGuard([this] { m_watch = nullptr; });
    for (;;) {
        const bool seen = takeWatchHit();
        co_await yield(m_clock.now()); // let pending events run, then go on
        if (m_abortFlag == 1) co_return WaitEnd::Aborted;
        co_await anime_();
        if (seen) co_return WaitEnd::Seen;
    }
}

void Dialogue::SendCommand(const QByteArray &word, const QByteArray &trailer) {
    m_receive.setLatestChunk({});
    m_transport.write(word);
    m_transport.write(trailer);
}

QCoro::Task<> Dialogue::anime_() {
    const Duration noted = m_clock.now();
    const Duration until = noted + kProgressPause;
    while (m_clock.now() < until)
        co_await yield(until, false);

    const QString spinner = m_indicators.spinner();
    if (spinner == QLatin1String("/"))
        m_indicators.setSpinner(QStringLiteral("--"));
    else if (spinner == QLatin1String("--"))
        m_indicators.setSpinner(QStringLiteral("\\"));
    else if (spinner == QLatin1String("\\"))
        m_indicators.setSpinner(QStringLiteral("/"));

    m_indicators.setElapsed(elapsedText(m_clock.now() - OperationStartTime));
}
