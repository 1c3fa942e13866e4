#include "board/operations.h"

#include "link/dialogue.h"
#include "link/indicators.h"
#include "link/protocol.h"
#include "link/receivepath.h"

using namespace std::chrono_literals;

QCoro::Task<> memoryReset(Dialogue &dialogue) {
    Dialogue::Run run(dialogue);
    dialogue.PrepareOperation(Dialogue::ClearFlags::None);
    if (!co_await dialogue.AwaitBanner(15s)) co_return;
    if (co_await dialogue.WaitForReply(board::kResetWord, 3, 20s) == Dialogue::WaitEnd::TimedOut)
        co_return;
    dialogue.SendCommand(board::kResetWord, board::kTrailer);
    dialogue.receive().setLatestChunk({});
    dialogue.indicators().setStatus(QStringLiteral("RAZ Mémoire en cours ..."));
    dialogue.markOperationStart();
    co_await dialogue.WaitWithProgress(board::kResetWord, 3);
    dialogue.indicators().setStatus(QStringLiteral("RAZ Effectué"));
}
