#include "link/dialogue.h"

#include "data/timetext.h"
#include "link/colours.h"
#include "link/indicators.h"
#include "link/protocol.h"
#include "link/receivepath.h"
#include "link/transport.h"

#include <QScopeGuard>

namespace {
// Longest end text searched for across two chunks.
constexpr qsizetype kTailLength = 16;

const QString kNoAnswer = QStringLiteral("Pas de réponse de la platine (délai dépassé) : vérifiez "
                                         "le câble, l'alimentation et le port");
} // namespace

Dialogue::Dialogue(Transport &transport, ReceivePath &receive, Indicators &indicators, Clock &clock,
                   QObject *parent)
    : QObject(parent), m_transport(transport), m_receive(receive), m_indicators(indicators),
      m_clock(clock) {
    connect(&m_receive, &ReceivePath::latestChunkChanged, this, &Dialogue::onLatestChunk);
    connect(&m_clock, &Clock::alarm, &m_waker, [this] { m_waker.wake(); });
    connect(&m_transport, &Transport::lost, this, &Dialogue::onPortLost);
}

void Dialogue::onPortLost() {
    if (!m_busy) return;
    m_portLost = true;
    m_waker.wake(true);
}

void Dialogue::finish() {
    if (!m_busy) return;
    m_finishing = true;
    setAbortFlag(true);
    m_waker.wake(true);
}

void Dialogue::setAbortFlag(bool value) {
    m_abortFlag = value;
    if (value) m_waker.wake();
}

void Dialogue::onLatestChunk() {
    const QByteArray &chunk = m_receive.latestChunk();
    if (!chunk.isEmpty()) {
        m_receivedInWait += chunk.size();
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

bool Dialogue::PrepareOperation(ClearFlags flags) {
    m_portLost = false;
    if (!m_transport.isOpen() && !m_transport.open()) {
        // The link status already says why the port did not open.
        m_indicators.setStatus(QStringLiteral("Port fermé : rien n'a été envoyé à la platine"));
        return false;
    }
    m_transport.setDataTerminalReady(false);
    m_abortFlag = false;
    if (flags != ClearFlags::None) m_receive.ReplaceFlag = false;
    if (flags == ClearFlags::Both) m_receive.AppendFlag = false;
    m_receive.setReceiveBuffer({});
    m_receive.setLatestChunk({});
    m_indicators.setLinkText(indicator_texts::kNothing);
    m_indicators.setStatus(indicator_texts::kNothing);
    m_indicators.setLinkVisible(true);
    emit prepared();
    return true;
}

void Dialogue::sayNoAnswer() {
    m_indicators.setStatus(kNoAnswer);
}

void Dialogue::sayWhyNothingWasSent(WaitEnd end) {
    switch (end) {
    case WaitEnd::Seen:
        return;
    case WaitEnd::TimedOut:
        sayNoAnswer();
        return;
    case WaitEnd::Aborted:
        m_indicators.setStatus(
            QStringLiteral("Opération interrompue : rien n'a été envoyé à la platine"));
        return;
    case WaitEnd::PortLost:
        m_indicators.setStatus(
            QStringLiteral("Opération interrompue : port perdu, rien n'a été envoyé à la platine"));
        return;
    }
}

QCoro::Task<bool> Dialogue::AwaitName(QByteArray name, int compareLength, Duration timeout) {
    const WaitEnd end = co_await WaitForReply(name, compareLength, timeout, true);
    sayWhyNothingWasSent(end);
    co_return end == WaitEnd::Seen;
}

QCoro::Task<bool> Dialogue::AwaitBanner(Duration timeout) {
    m_receivedInWait = 0;
    const WaitEnd end = co_await WaitForReply(board::kBanner, board::kBannerMatch, timeout, true);
    // Only a banner really seen shows the link as established.
    if (end == WaitEnd::TimedOut && m_receivedInWait > 0) {
        // A board that never announced itself but sent bytes all along is not silent: it is still
        // sending something else, typically the rest of a download that was stopped.
        m_indicators.setStatus(QStringLiteral("La platine envoie encore des données (%1 octets "
                                              "reçus) : attendez la fin de l'envoi, puis "
                                              "recommencez")
                                   .arg(m_receivedInWait));
        co_return false;
    }
    if (end != WaitEnd::Seen) {
        sayWhyNothingWasSent(end);
        co_return false;
    }
    m_indicators.setLink(QStringLiteral("Connexion établie avec la platine"), colours::kRed);
    m_indicators.timer3().start(); // the established link blinks
    m_receive.setLatestChunk({});
    co_return true;
}

bool Dialogue::startsWith(const QByteArray &chunk, const QByteArray &expected, int length) {
    return chunk.left(length) == expected.left(length);
}

QCoro::Task<> Dialogue::yield(Duration deadline, bool abortEndsSleep) {
    if (m_finishing) co_return;
    m_clock.setAlarm(deadline);
    if (abortEndsSleep && (m_abortFlag || m_portLost))
        m_waker.wake(true); // the flag test right after this yield ends the wait
    co_await m_waker.sleep();
    m_clock.cancelAlarm();
}

QCoro::Task<Dialogue::WaitEnd> Dialogue::WaitForReply(QByteArray expected, int compareLength,
                                                      Duration timeout, bool showWaiting) {
    using std::chrono::seconds;
    const Duration start = m_clock.now();
    // The alarm rings just past the limit: the wait times out only when the clock is beyond it.
    const Duration limit = start + timeout + Duration(1);
    const QString before = m_indicators.status();
    seconds shown{-1};
    for (;;) {
        if (startsWith(m_receive.latestChunk(), expected, compareLength)) {
            if (showWaiting) m_indicators.setStatus(before);
            co_return WaitEnd::Seen;
        }
        Duration wake = limit;
        if (showWaiting) {
            // Shown anew at each whole second, the next one being the alarm's.
            const seconds waited = std::chrono::floor<seconds>(m_clock.now() - start);
            if (waited != shown) {
                shown = waited;
                m_indicators.setStatus(QStringLiteral("Attente de la platine… %1 s / %2 s")
                                           .arg(waited.count())
                                           .arg(std::chrono::floor<seconds>(timeout).count()));
            }
            wake = std::min(limit, start + waited + seconds(1));
        }
        co_await yield(wake);
        if (m_clock.now() - start > timeout) co_return WaitEnd::TimedOut;
        if (m_portLost) co_return WaitEnd::PortLost;
        if (m_abortFlag) co_return WaitEnd::Aborted;
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
        if (m_portLost) co_return WaitEnd::PortLost;
        co_await anime_();
        if (m_portLost) co_return WaitEnd::PortLost;
        if (m_abortFlag) co_return WaitEnd::Aborted;
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
        if (m_portLost) co_return WaitEnd::PortLost;
        if (m_abortFlag) co_return WaitEnd::Aborted;
        co_await anime_();
        if (m_portLost) co_return WaitEnd::PortLost;
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
    // The pause is a pause for the board: a lost port or the program's end cut it short.
    while (m_clock.now() < until && !m_portLost && !m_finishing)
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
