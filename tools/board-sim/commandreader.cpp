#include "commandreader.h"

#include "link/protocol.h"

#include <utility>

namespace {

constexpr int kTrailerSize = 3;
const char *const kWords[] = {board::kResetWord, board::kDownloadWord, board::kPeriodWord,
                              board::kLiveWord, board::kEepromWord};

bool validTrailer(const QByteArray &word, const QByteArray &trailer) {
    if (word == board::kPeriodWord) return trailer.at(2) == board::kPeriodTrailerEnd;
    return trailer == board::kTrailer;
}

} // namespace

CommandReader::Match CommandReader::matchAtStart(Command *command) const {
    for (const char *text : kWords) {
        const QByteArray word(text);
        if (m_pending.startsWith(word)) {
            if (m_pending.size() < word.size() + kTrailerSize) return Match::Partial;
            const QByteArray trailer = m_pending.mid(word.size(), kTrailerSize);
            if (!validTrailer(word, trailer)) return Match::Invalid;
            *command = {word, trailer};
            return Match::Complete;
        }
        if (word.startsWith(m_pending)) return Match::Partial;
    }
    return Match::None;
}

std::optional<Command> CommandReader::take() {
    while (!m_pending.isEmpty()) {
        Command command;
        switch (matchAtStart(&command)) {
        case Match::Complete:
            m_pending.remove(0, command.word.size() + kTrailerSize);
            return command;
        case Match::Partial:
            return std::nullopt;
        case Match::None:
        case Match::Invalid:
            m_discarded += m_pending.front();
            m_pending.remove(0, 1);
            break;
        }
    }
    return std::nullopt;
}

QByteArray CommandReader::takeDiscarded() {
    return std::exchange(m_discarded, {});
}
