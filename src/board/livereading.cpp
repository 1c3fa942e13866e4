#include "board/operations.h"

#include "link/dialogue.h"
#include "link/indicators.h"
#include "link/protocol.h"
#include "link/receivepath.h"

using namespace std::chrono_literals;

QCoro::Task<> liveReading(Dialogue &dialogue) {
    Dialogue::Run run(dialogue);
    dialogue.PrepareOperation(Dialogue::ClearFlags::Replace);
    if (!co_await dialogue.AwaitBanner(20s)) co_return;
    if (co_await dialogue.WaitForReply(board::kLiveName, 10, 20s) == Dialogue::WaitEnd::TimedOut)
        co_return;
    dialogue.SendCommand(board::kLiveWord, board::kTrailer);
    if (co_await dialogue.WaitForReply(board::kLiveConfirmation, 16, 15s) ==
        Dialogue::WaitEnd::TimedOut)
        co_return;
    dialogue.receive().setLatestChunk({});
    dialogue.indicators().setStatus(QStringLiteral("Temps reel actif"));
    // From here on every chunk replaces the receive area, with no operation running.
    dialogue.receive().ReplaceFlag = 1;
}
