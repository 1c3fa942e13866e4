#include "board/session.h"

#include "link/dialogue.h"
#include "link/indicators.h"
#include "link/receivepath.h"

Session::Session(Dialogue &dialogue, QObject *parent) : QObject(parent), m_dialogue(dialogue) {
    connect(&m_dialogue, &Dialogue::idle, this, [this] { setRunning(Operation::None); });
    // Queued: a pending end of the program goes on once the operation's coroutine has finished
    // unwinding.
    connect(&m_dialogue, &Dialogue::idle, this, &Session::onIdle, Qt::QueuedConnection);
}

Session::~Session() {
    m_tearingDown = true;
    if (m_dialogue.busy()) {
        m_dialogue.receive().AppendFlag = false;
        m_dialogue.finish();
        m_dialogue.resumeNow();
    }
}

void Session::setRunning(Operation running) {
    if (running == m_running) return;
    m_running = running;
    emit runningChanged(m_running);
}

void Session::start(Operation operation, const std::function<void()> &launch) {
    if (m_dialogue.busy()) {
        m_dialogue.indicators().setStatus(indicator_texts::kOperationRunning);
        return;
    }
    setRunning(operation);
    launch();
    // An operation that ended at once (a port that would not open), or that was not started.
    if (!m_dialogue.busy()) setRunning(Operation::None);
}

void Session::stop(Operation operation) {
    if (operation == Operation::Download) m_dialogue.receive().AppendFlag = false;
    if (operation == Operation::Live) m_dialogue.receive().ReplaceFlag = false;
    m_dialogue.setAbortFlag(true);
}

Session::Operation Session::stoppable() const {
    if (m_dialogue.busy()) return m_running;
    return m_dialogue.receive().ReplaceFlag ? Operation::Live : Operation::None;
}

bool Session::endAfterOperation(Ending ending) {
    if (!m_dialogue.busy()) return true;
    if (m_ending != Ending::Quit) m_ending = ending;
    m_dialogue.receive().AppendFlag = false; // what arrives from now on is not collected
    m_dialogue.finish();
    return false;
}

void Session::onIdle() {
    const Ending ending = std::exchange(m_ending, Ending::None);
    if (ending != Ending::None) emit endNow(ending);
}
