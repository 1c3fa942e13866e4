#include "board/operations.h"

#include "link/dialogue.h"
#include "link/indicators.h"
#include "link/protocol.h"
#include "link/receivepath.h"

using namespace std::chrono_literals;

QCoro::Task<> liveReading(Dialogue &dialogue) {
    Dialogue::Run run(dialogue);
    if (!dialogue.PrepareOperation(Dialogue::ClearFlags::Replace)) co_return;
    if (!co_await dialogue.AwaitBanner(20s)) co_return;
    if (!co_await dialogue.AwaitName(board::kLiveName, board::kLiveNameMatch, 20s)) co_return;
    dialogue.SendCommand(board::kLiveWord, board::kTrailer);
    const Dialogue::WaitEnd end = co_await dialogue.WaitForReply(
        board::kLiveConfirmation, board::kLiveConfirmationMatch, 15s);
    if (end == Dialogue::WaitEnd::Aborted || end == Dialogue::WaitEnd::PortLost) {
        // Stopped before the board confirmed: the display is not switched on.
        dialogue.indicators().setStatus(
            QStringLiteral("Lecture en temps réel interrompue : TR envoyé, non confirmé par la "
                           "platine"));
        co_return;
    }
    if (end == Dialogue::WaitEnd::TimedOut) {
        dialogue.sayNoAnswer();
        co_return;
    }
    dialogue.receive().setLatestChunk({});
    dialogue.indicators().setStatus(QStringLiteral("Temps reel actif"));
    // From here on every chunk replaces the receive area, with no operation running.
    dialogue.receive().ReplaceFlag = true;
}
