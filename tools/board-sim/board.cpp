#include "board.h"

#include "data/sampleline.h"
#include "link/protocol.h"
#include "wire.h"

#include <algorithm>
#include <cstdio>

namespace {

void note(const QByteArray &message) {
    std::fprintf(stderr, "volterne-board-sim: %s\n", message.constData());
}

// The names the board gives its operations, in the order it announces them.
const char *const kNames[] = {board::kResetWord, board::kDownloadWord, board::kPeriodWord,
                              board::kLiveName, board::kEepromWord};

} // namespace

Board::Board(const Options &options, Wire *wire, QObject *parent)
    : QObject(parent), m_options(options), m_wire(wire), m_memory(options.served) {
    if (m_options.servePath.isEmpty()) {
        SampleSource source;
        for (int i = 0; i < m_options.samples; ++i)
            m_memory += sampleLine(source.next());
    }
    m_pause.setSingleShot(true);
    m_pause.setTimerType(Qt::PreciseTimer);
    connect(&m_pause, &QTimer::timeout, this, &Board::nextStep);
    connect(m_wire, &Wire::received, this, &Board::received);
    connect(m_wire, &Wire::drained, this, &Board::stepSent);
}

void Board::start() {
    if (m_options.silent) return;
    announceRound();
    nextStep();
}

void Board::announceRound() {
    using std::chrono::milliseconds;
    const milliseconds gap = m_options.gap;
    const QByteArray banner = board::kBanner;
    const bool glued = m_options.fault == Fault::GluedBanner;
    const bool garbled = m_options.fault == Fault::Garbage;

    m_script.push_back({glued ? banner + "\r\n" + kNames[0] : banner, gap});
    for (std::size_t i = glued ? 1 : 0; i < std::size(kNames); ++i) {
        m_script.push_back({kNames[i], gap});
        if (garbled && (i == 1 || i == 3)) m_script.push_back({garbage(), gap});
    }
    // The last name waits for the rest of the cycle, so that banners come once per cycle.
    const int bursts = int(m_script.size());
    m_script.back().pause = std::max(gap, m_options.cycle - gap * (bursts - 1));
}

void Board::nextStep() {
    if (m_script.empty()) {
        if (m_busy) note("answered; announcing again");
        m_busy = false;
        announceRound();
    }
    Step step = std::move(m_script.front());
    m_script.pop_front();
    if (!step.reply) dropStaleAnnouncements();
    m_currentPause = step.pause;
    m_replyUnread = m_replyUnread || step.reply;
    if (step.recorded) m_memory += step.bytes;
    if (step.bytes.isEmpty()) {
        m_pause.start(m_currentPause);
        return;
    }
    // The pause starts once the burst has left the line (stepSent), which may be at once.
    m_sending = true;
    m_wire->send(step.bytes);
}

void Board::stepSent() {
    if (!m_sending) return;
    m_sending = false;
    m_pause.start(m_currentPause);
}

// Before each announcement. Nobody reads a line whose last burst, sent at least a gap ago, is
// still waiting: the program has not opened the port (it reads within 100 ms when it has). A real
// line would have lost those bytes; throwing them away spares the program a backlog of old
// announcements when it opens the port. Answers are kept until they have been read.
void Board::dropStaleAnnouncements() {
    const int unread = m_wire->unread();
    if (unread == 0)
        m_replyUnread = false;
    else if (!m_replyUnread)
        m_wire->discardUnread();
}

void Board::received(const QByteArray &bytes) {
    if (m_options.silent) {
        note("received " + QByteArray::number(bytes.size()) + " bytes (silent: no answer)");
        return;
    }
    if (m_busy) {
        note("received " + QByteArray::number(bytes.size()) + " bytes while busy: ignored");
        return;
    }
    m_reader.feed(bytes);
    while (const auto command = m_reader.take()) {
        if (const QByteArray stray = m_reader.takeDiscarded(); !stray.isEmpty())
            note("ignored stray bytes " + stray.toHex(' '));
        note("command " + command->word + " " + command->trailer.toHex(' '));
        if (!m_busy)
            answer(*command);
        else
            note("busy with the previous command: ignored");
    }
    if (const QByteArray stray = m_reader.takeDiscarded(); !stray.isEmpty())
        note("ignored stray bytes " + stray.toHex(' '));
}

void Board::answer(const Command &command) {
    if (m_options.fault == Fault::Mute) {
        note("mute: no answer");
        return;
    }
    const auto gap = m_options.gap;
    std::deque<Step> reply;
    if (command.word == board::kResetWord) {
        reply = {{{}, m_options.erase, true}, {board::kResetWord, gap, true}};
        if (!m_options.keepMemory) {
            m_memory.clear();
            note("memory erased: the download sends no samples until new ones are recorded");
        }
    } else if (command.word == board::kDownloadWord) {
        reply = downloadReply();
    } else if (command.word == board::kPeriodWord) {
        reply = periodReply(command.trailer);
    } else if (command.word == board::kLiveWord) {
        reply = liveReply();
    } else if (command.word == board::kEepromWord) {
        reply = eepromReply();
    }
    // After its answer the board stays quiet for a cycle before announcing itself again, so that
    // the program's last collecting pass does not pick up the next banner.
    if (!reply.empty()) reply.back().pause = std::max(reply.back().pause, m_options.cycle);
    // The announcements stop; a burst already on the line finishes first and the answer follows.
    m_busy = true;
    m_reader.clear();
    m_script = std::move(reply);
    m_currentPause = {};
    if (!m_sending) {
        m_pause.stop();
        nextStep();
    }
}

std::deque<Board::Step> Board::downloadReply() {
    std::deque<Step> steps;
    appendEnd(&steps, m_memory, board::kDownloadEnd, "\r\n");
    return steps;
}

std::deque<Board::Step> Board::periodReply(const QByteArray &trailer) {
    const auto low = static_cast<std::uint8_t>(trailer.at(0));
    const auto high = static_cast<std::uint8_t>(trailer.at(1));
    m_eeprom.setPeriod(low, high);
    const QByteArray text = board::kPeriodConfirmation + QByteArray::number(low + 256 * high);
    return {{text, m_options.gap, true}};
}

std::deque<Board::Step> Board::liveReply() {
    const auto live = m_options.livePeriod;
    const auto apart = std::max(live, m_options.gap);
    std::deque<Step> steps{{board::kLiveConfirmation, apart, true}};
    SampleSource source;
    for (int i = 0; i < m_options.liveCount; ++i)
        steps.push_back({sampleLine(source.next()), live, true, true});
    steps.back().pause = apart;
    return steps;
}

std::deque<Board::Step> Board::eepromReply() {
    std::deque<Step> steps{{m_eeprom.dump(), m_options.gap, true}};
    appendEnd(&steps, {}, board::kEepromWord, {});
    return steps;
}

void Board::appendEnd(std::deque<Step> *steps, const QByteArray &body, const QByteArray &word,
                      const QByteArray &lineEnd) const {
    const auto gap = m_options.gap;
    if (m_options.fault != Fault::SplitEnd) {
        steps->push_back({body + word + lineEnd, gap, true});
        return;
    }
    const qsizetype half = word.size() / 2;
    steps->push_back({body + word.left(half), gap, true});
    steps->push_back({word.mid(half) + lineEnd, gap, true});
}

// Stray bytes such as a line picks up from electrical noise: NUL, high bytes, control characters.
QByteArray Board::garbage() {
    QByteArray bytes(12, '\0');
    for (char &byte : bytes) {
        m_garbageState = m_garbageState * 1103515245u + 12345u;
        byte = char(m_garbageState >> 16);
    }
    bytes[0] = '\0';
    bytes[5] = char(0x80 | (bytes[5] & 0x7F));
    bytes[9] = char(0xFF);
    return bytes;
}
